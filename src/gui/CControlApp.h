// The application object: finds the ports, runs the main window, and ends with it.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace rir {

class CControlApp : public QApplication {
    Q_OBJECT
public:
    CControlApp(int& argc, char** argv);
    // Runs the station; the process's exit code.
    int Run();

private:
    // Qt's own texts (the file dialog's buttons and columns, the standard buttons) in Russian,
    // when the system has Qt's translations; in English otherwise.
    QTranslator qtTexts_;
};

} // namespace rir
