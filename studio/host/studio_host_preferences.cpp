// StudioHost: Studio's own preferences, read from and kept in the settings file.
#include "studio/host/studio_host.h"

namespace tessel::studio {

void StudioHost::loadPreferences(const std::filesystem::path& settingsFile) {
  std::vector<std::string> problems;
  Preferences p = readPreferences(settingsFile, &problems);
  for (const std::string& problem : problems) echo_("warning: " + problem);
  settingsFile_.clear();  // what was just read need not be written back
  setPreferences(p);
  settingsFile_ = settingsFile;
}

std::string StudioHost::setPreferences(const Preferences& p) {
  preferences_ = p;
  history_.setBudget(std::size_t{p.historyMB} << 20);
  renderer_.setPalette(p.colours);
  renderer_.setMovingFrameSeconds(p.movingFrameMs / 1000.0);
  mainView_.redrawAll();
  if (settingsFile_.empty() || writePreferences(settingsFile_, p)) return {};
  return "the preferences hold for this run but could not be kept in " + settingsFile_.string();
}

std::vector<std::string> StudioHost::describePreferences() const {
  std::vector<std::string> lines;
  for (const std::string& name : preferenceNames())
    lines.push_back("preference " + name + " " + preferenceText(preferences_, name));
  return lines;
}

}  // namespace tessel::studio
