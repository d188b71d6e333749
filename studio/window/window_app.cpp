#include "studio/window/window_app.h"

#include <QApplication>
#include <QBuffer>
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
      runner.afterLine = [&window] {
        window.refresh();
        QApplication::processEvents();
      };
      runner.shootWindow = [&window, &echo, &host](const std::string& path) -> std::string {
        // What the last line changed is drawn first. Written aside and renamed into place, as
        // every file Studio writes.
        window.refresh();
        QApplication::processEvents();
        host.completeFrames();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!window.grab().save(&buffer, "PNG"))
          return path + ": cannot be written: the image could not be encoded";
        platform::AtomicFile file{std::filesystem::path(path)};
        file.write(png.constData(), static_cast<std::size_t>(png.size()));
        if (std::string problem = file.commit(); !problem.empty())
          return path + ": cannot be written: " + problem;
        echo("shot: " + path);
        return {};
      };
      status = runner.runFile(options.script, std::cerr);
      window.refresh();
    }
    if (!host.exitRequested()) QApplication::exec();
  }
  host.unloadModule();
  return status;
}

}  // namespace tessel::studio
