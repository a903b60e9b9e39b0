// The application object: finds the ports, runs the main window, and ends with it.
#pragma once

#include <QApplication>

namespace rir {

class CControlApp : public QApplication {
    Q_OBJECT
public:
    CControlApp(int& argc, char** argv);
    // Runs the station; the process's exit code.
    int Run();
};

} // namespace rir
