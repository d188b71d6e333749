// A short headless session against a module library: loads it the way a host does, initializes
// it with the test host, and prints what it registered.
#include <cstdio>
#include <exception>

#include "platform/CToolBar.h"
#include "tests/host/fake_host.h"

namespace {

void printMenu(omMenuItem* item, int depth) {
  for (std::int32_t i = 0; i < item->GetCount(); ++i) {
    omMenuItem* child = item->GetItem(i);
    std::printf("%*s%s", depth * 2 + 2, "", *child->GetText() ? child->GetText() : "----");
    if (child->GetID()) std::printf(" [%u]", child->GetID());
    std::printf("\n");
    printMenu(child, depth + 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s MODULE.so\n", argv[0]);
    return 2;
  }
  try {
    tessel::test::LoadedModule module(argv[1]);
    tessel::test::FakeHost host;
    if (!module.start(host)) {
      std::fprintf(stderr, "%s: Initialize failed\n", argv[1]);
      return 1;
    }
    std::printf("module: %s %s (%s)\n", module->GetName(), module->GetVersion(),
                module->GetLegalNotice());
    std::printf("tools: %zu, commands: %zu\nmenu:\n", host.toolFactories.factories.size(),
                host.commandFactories.factories.size());
    for (omMenuItem* root : host.menus) printMenu(root, 0);
    std::printf("toolbars:\n");
    for (tessel::platform::CToolBar* bar : host.toolbars) {
      std::printf("  %s%s:", bar->GetWindowText(), bar->IsWindowVisible() ? "" : " (hidden)");
      for (std::int32_t i = 0; i < bar->GetCount(); ++i) std::printf(" %u", bar->GetItemID(i));
      std::printf("\n");
    }
    std::printf("accelerators:\n");
    for (const std::string& a : host.accelerators) std::printf("  %s\n", a.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
