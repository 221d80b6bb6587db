#include "app/Sonvelt.h"

#include <QMainWindow>

#include "app/About.h"
#include "app/MainUnit.h"
#include "platform/classlib/Exceptions.h"
#include "platform/gui/Application.h"
#include "platform/gui/Signals.h"

int WinMain(int argc, char **argv) {
  // The Qt application keeps references to both for its whole life.
  static int appArgc;
  static char **appArgv;
  appArgc = argc;
  appArgv = argv;
  try {
    gui::TApplication &app = gui::InitApplication(appArgc, appArgv);
    app.SetTitle("Sonvelt");
    RegisterMainUnitClasses();
    RegisterAboutClasses();
    TOwnedPtr<TMainForm> mainForm(CreateObject<TMainForm>(&app));
    TOwnedPtr<TAboutBox> aboutBox(CreateObject<TAboutBox>(&app));
    aboutBox->SetName("AboutBox");
    gui::InstallTerminationHandler([&mainForm](int) {
      if (mainForm)
        mainForm->Close();
    });
    // A second copy was told to end while its window loaded: it never shows.
    if (!app.Terminated()) {
      mainForm->Show();
      app.Run();
    }
    gui::RemoveTerminationHandler();
  } catch (const std::exception &e) {
    gui::RemoveTerminationHandler();
    gui::Application().ShowException(e);
  } catch (...) {
    gui::RemoveTerminationHandler();
    gui::Application().ShowException(Exception(""));
  }
  return 0;
}
