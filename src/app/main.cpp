#include "app/AppState.h"
#include "app/ShigurenApp.h"
#include "platform/AppInfo.h"
#include "radar/RadarPlayer.h"
#include "radar/RadarTimeline.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStyleFactory>

namespace {

// Stand-in until the radar panes exist: shows what the controller holds and starts it the
// first time it appears, as the real window will.
class StandInWindow final : public QMainWindow {
public:
    explicit StandInWindow(AppState& state) : m_state(state), m_label(new QLabel(this))
    {
        m_label->setAlignment(Qt::AlignCenter);
        setCentralWidget(m_label);
        connect(state.timeline(), &RadarTimeline::framesChanged, this, [this] { refresh(); });
        connect(state.timeline(), &RadarTimeline::errorMessageChanged, this, [this] { refresh(); });
        connect(state.detailPlayer(), &RadarPlayer::indexChanged, this, [this] { refresh(); });
        refresh();
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMainWindow::showEvent(event);
        if (!m_started) {
            m_started = true;
            m_state.start();
        }
    }

private:
    void refresh()
    {
        QString text = QStringLiteral("Shiguren — レーダー画面は準備中です\n");
        const auto frame = m_state.detailPlayer()->currentFrame();
        text += frame ? QStringLiteral("コマ %1 / %2　%3")
                            .arg(m_state.detailPlayer()->index() + 1)
                            .arg(m_state.detailPlayer()->frames().size())
                            .arg(frame->date.toLocalTime().toString(QStringLiteral("H:mm")))
                      : QStringLiteral("読み込み中");
        if (!m_state.timeline()->errorMessage().isNull())
            text += QLatin1Char('\n') + m_state.timeline()->errorMessage();
        m_label->setText(text);
    }

    AppState& m_state;
    QLabel* m_label;
    bool m_started = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::applicationName());
    QApplication::setApplicationVersion(AppInfo::version());
    QGuiApplication::setApplicationDisplayName(AppInfo::displayName());
    QGuiApplication::setDesktopFileName(AppInfo::applicationId());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    ShigurenApp shiguren;
    StandInWindow window(shiguren.state());
    window.resize(1280, 900);
    window.show();
    return QApplication::exec();
}
