#include "studio/window/window_app.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QSurfaceFormat>

#include <cstdlib>
#include <iostream>

#include "platform/atomic_file.h"
#include "platform/settings_store.h"
#include "studio/script/script_runner.h"
#include "studio/host/studio_host.h"
#include "studio/window/main_window.h"
#include "studio/window/window_gl_context.h"

namespace tessel::studio {

bool haveDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

void prepareToolkit() {
  // The module draws its overlay with OpenGL 1.1 calls, so the views keep the old pipeline.
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setDepthBufferSize(24);
  QSurfaceFormat::setDefaultFormat(format);
  // The views share buffer objects: a mesh is uploaded once for all four.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

namespace {

// Written aside and renamed into place, as every file Studio writes.
std::string writePicture(const QImage& picture, const std::string& path,
                         const std::function<void(const std::string&)>& echo) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG"))
    return path + ": cannot be written: the image could not be encoded";
  platform::AtomicFile file{std::filesystem::path(path)};
  file.write(png.constData(), static_cast<std::size_t>(png.size()));
  if (std::string problem = file.commit(); !problem.empty())
    return path + ": cannot be written: " + problem;
  echo("shot: " + path);
  return {};
}

}  // namespace

void connectScript(ScriptRunner& runner, MainWindow& window, StudioHost& host,
                   const std::function<void(const std::string&)>& echo) {
  runner.afterLine = [&window] {
    window.refresh();
    QApplication::processEvents();
  };
  // What the last line changed is drawn first.
  auto catchUp = [&window, &host] {
    window.refresh();
    QApplication::processEvents();
    host.completeFrames();
  };
  runner.shootWindow = [&window, catchUp, echo](const std::string& path) {
    catchUp();
    return writePicture(window.grab().toImage(), path, echo);
  };
  runner.shootDialog = [&window, catchUp, echo](const std::string& path, const std::string& name) {
    catchUp();
    const QImage picture = window.dialogPicture(QString::fromStdString(name));
    if (picture.isNull()) return "the window has no dialog \"" + name + "\"";
    return writePicture(picture, path, echo);
  };
}

int runWindow(int argc, char** argv, const WindowOptions& options) {
  prepareToolkit();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessel Studio");
  auto owned = std::make_unique<WindowGlContext>(options.width, options.height);
  WindowGlContext& context = *owned;
  auto echo = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
  StudioHost host(echo, std::move(owned));
  host.loadPreferences(platform::userSettingsPath());
  if (std::string e = host.loadModule(options.module); !e.empty()) {
    std::cerr << "error: " << e << '\n';
    return 1;
  }
  int status = 0;
  {
    MainWindow window(host, context, platform::userSettingsPath());
    window.show();
    QApplication::processEvents();
    QStringList files;
    for (const std::string& f : options.files) files.push_back(QString::fromStdString(f));
    window.openFiles(files);
    if (!options.script.empty()) {
      ScriptRunner runner(host, std::cout);
      connectScript(runner, window, host, echo);
      status = runner.runFile(options.script, std::cerr);
      window.refresh();
    }
    if (!host.exitRequested()) QApplication::exec();
  }
  host.unloadModule();
  return status;
}

}  // namespace tessel::studio
