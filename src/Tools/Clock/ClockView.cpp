#include "Tools/Clock/ClockView.h"

#include "Tools/Clock/ClockPages.h"

#include <QTabBar>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {
constexpr ClockView::Mode modes[] = { ClockView::Mode::timer, ClockView::Mode::stopwatch, ClockView::Mode::pomodoro,
    ClockView::Mode::alarms };
}

QString ClockView::title(Mode mode)
{
    switch (mode) {
    case Mode::timer:
        return QStringLiteral("Timer");
    case Mode::stopwatch:
        return QStringLiteral("Stopwatch");
    case Mode::pomodoro:
        return QStringLiteral("Pomodoro");
    case Mode::alarms:
        return QStringLiteral("Alarms");
    }
    return {};
}

ClockView::ClockView(Models models, QWidget* parent)
    : QWidget(parent)
    , m_models(models)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(12, 34, 12, 12);
    m_layout->setSpacing(8);
    m_switcher = new QTabBar;
    m_switcher->setExpanding(false);
    m_switcher->setDrawBase(false);
    for (const Mode mode : modes)
        m_switcher->addTab(title(mode));
    m_layout->addWidget(m_switcher, 0, Qt::AlignHCenter);
    m_layout->addStretch(1);
    connect(m_switcher, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(std::size(modes)))
            setMode(modes[index]);
    });
    m_mode = Mode::alarms; // anything but the first, so that the first page is built
    setMode(Mode::timer);
}

void ClockView::setMode(Mode mode)
{
    if (mode == m_mode && m_page)
        return;
    m_mode = mode;
    m_switcher->setCurrentIndex(static_cast<int>(mode));
    // The page left behind loses what was typed in it; the models keep running.
    delete m_page;
    switch (mode) {
    case Mode::timer:
        m_page = new TimerPage(m_models.timer);
        break;
    case Mode::stopwatch:
        m_page = new StopwatchPage(m_models.stopwatch, m_models.clock);
        break;
    case Mode::pomodoro:
        m_page = new PomodoroPage(m_models.pomodoro);
        break;
    case Mode::alarms:
        m_page = new AlarmsPage(m_models.alarms, m_models.alarmsRingOnlyWhileRunning);
        break;
    }
    m_layout->insertWidget(1, m_page);
    // At once, not on the next turn of the loop as a layout would: the page's state depends on it.
    m_page->show();
    setFocusProxy(m_page);
    if (isVisible())
        m_page->setFocus();
}

}
