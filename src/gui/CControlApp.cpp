#include "CControlApp.h"

#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>

#include <clocale>

#include "CMainDlg.h"
#include "PortDiscovery.h"
#include "StationPort.h"
#include "Resources.h"
#include "StopSignals.h"
#include "app/ProfileStore.h"
#include "journal/AlarmJournal.h"
#include "journal/RunJournal.h"

namespace rir {

CControlApp::CControlApp(int& argc, char** argv) : QApplication(argc, argv) {
    // QApplication takes the desktop's locale for the C library too; on a Russian desktop
    // printf would then write "15,00". The station's texts and files always use a point.
    std::setlocale(LC_NUMERIC, "C");
    // The application's name is the executable's file name: message-box caption and settings file.
    setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    InitStationResources();
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    if (qtTexts_.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&qtTexts_);
}

int CControlApp::Run() {
    CMainDlg window(DiscoverPorts(), DefaultProfilePath(applicationName().toStdString()),
                    MakeStationPort);
    window.setPortDiscovery(DiscoverPorts);
    window.setJournalFolder(DefaultJournalFolder());
    window.station().SetAlarmJournal(DefaultAlarmJournalPath());
    if (!window.Initialise())
        return 0; // no serial port: the operator has been told
    StopSignals stopSignals;
    connect(&stopSignals, &StopSignals::stopRequested, &window, &CMainDlg::CloseOnSignal);
    window.ShowRestored();
    return exec();
}

} // namespace rir
