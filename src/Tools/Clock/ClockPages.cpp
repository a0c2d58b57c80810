#include "Tools/Clock/ClockPages.h"

#include "Platform/Clock.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/StopwatchTool.h"
#include "Tools/Clock/TimerTool.h"
#include "Tools/ToolText.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QScrollArea>
#include <QTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {

QLabel* bigTime()
{
    auto* label = new QLabel;
    label->setFont(ToolText::monospaced(44, QFont::DemiBold));
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* caption(const QString& text)
{
    QLabel* label = ToolText::caption(text);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

QHBoxLayout* centredRow()
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    return row;
}

void finish(QHBoxLayout* row)
{
    row->addStretch(1);
}

}

TimerPage::TimerPage(TimerTool& timer, QWidget* parent)
    : QWidget(parent)
    , m_timer(timer)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);

    m_states = new QStackedWidget;
    auto* running = new QWidget;
    auto* runningLayout = new QVBoxLayout(running);
    runningLayout->setContentsMargins(0, 0, 0, 0);
    runningLayout->setSpacing(14);
    m_countdown = bigTime();
    runningLayout->addWidget(m_countdown);
    auto* cancelRow = centredRow();
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, [this] { m_timer.cancel(); });
    cancelRow->addWidget(cancel);
    finish(cancelRow);
    runningLayout->addLayout(cancelRow);
    m_states->addWidget(running);

    auto* idle = new QWidget;
    auto* idleLayout = new QVBoxLayout(idle);
    idleLayout->setContentsMargins(0, 0, 0, 0);
    idleLayout->setSpacing(14);
    auto* presetRow = centredRow();
    for (const double minutes : TimerTool::presets) {
        auto* preset = new QPushButton(QStringLiteral("%1 min").arg(minutes));
        connect(preset, &QPushButton::clicked, this, [this, minutes] { m_timer.start(minutes); });
        presetRow->addWidget(preset);
        m_presets.append(preset);
    }
    finish(presetRow);
    idleLayout->addLayout(presetRow);
    auto* customRow = centredRow();
    m_custom = new QLineEdit;
    m_custom->setPlaceholderText(QStringLiteral("Custom minutes"));
    m_custom->setFixedWidth(130);
    m_start = new QPushButton(QStringLiteral("Start"));
    connect(m_custom, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_start->setEnabled(TimerTool::parseMinutes(text).has_value()); });
    connect(m_custom, &QLineEdit::returnPressed, this, &TimerPage::startCustom);
    connect(m_start, &QPushButton::clicked, this, &TimerPage::startCustom);
    m_start->setEnabled(false);
    customRow->addWidget(m_custom);
    customRow->addWidget(m_start);
    finish(customRow);
    idleLayout->addLayout(customRow);
    m_states->addWidget(idle);

    layout->addWidget(m_states);
    layout->addWidget(caption(QStringLiteral("The timer keeps running if you close this window.")));
    connect(&m_timer, &TimerTool::remainingChanged, this, &TimerPage::refresh);
    setFocusProxy(m_custom);
    refresh();
}

void TimerPage::startCustom()
{
    const std::optional<double> minutes = TimerTool::parseMinutes(m_custom->text());
    if (!minutes || !(*minutes > 0))
        return;
    m_timer.start(*minutes);
    // Cleared only when a countdown really began (a number too large to count starts none).
    if (m_timer.isRunning())
        m_custom->clear();
}

void TimerPage::refresh()
{
    m_countdown->setText(m_timer.display());
    m_states->setCurrentIndex(m_timer.isRunning() ? 0 : 1);
}

void TimerPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_custom->setFocus();
}

StopwatchPage::StopwatchPage(StopwatchTool& stopwatch, Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_stopwatch(stopwatch)
    , m_clock(clock)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    m_elapsed = bigTime();
    layout->addWidget(m_elapsed);

    auto* buttons = centredRow();
    m_startPause = new QPushButton;
    m_lap = new QPushButton(QStringLiteral("Lap"));
    m_reset = new QPushButton(QStringLiteral("Reset"));
    connect(m_startPause, &QPushButton::clicked, this, [this] {
        if (m_stopwatch.isRunning())
            m_stopwatch.pause();
        else
            m_stopwatch.start();
    });
    connect(m_lap, &QPushButton::clicked, this, [this] { m_stopwatch.lap(); });
    connect(m_reset, &QPushButton::clicked, this, [this] { m_stopwatch.reset(); });
    for (QPushButton* button : { m_startPause, m_lap, m_reset })
        buttons->addWidget(button);
    finish(buttons);
    layout->addLayout(buttons);

    m_laps = new QListWidget;
    m_laps->setFrameShape(QFrame::NoFrame);
    m_laps->setSelectionMode(QAbstractItemView::NoSelection);
    m_laps->setFocusPolicy(Qt::NoFocus);
    // A plain list on the window's own background, not a white box.
    QPalette plain = m_laps->palette();
    plain.setColor(QPalette::Base, plain.color(QPalette::Window));
    m_laps->setPalette(plain);
    layout->addWidget(m_laps, 1);

    connect(&m_stopwatch, &StopwatchTool::isRunningChanged, this, &StopwatchPage::refreshState);
    connect(&m_stopwatch, &StopwatchTool::lapsChanged, this, &StopwatchPage::refreshLaps);
    refreshState();
    refreshLaps();
}

StopwatchPage::~StopwatchPage() = default;

void StopwatchPage::redraw()
{
    m_elapsed->setText(StopwatchTool::format(m_stopwatch.elapsed()));
}

void StopwatchPage::refreshState()
{
    const bool running = m_stopwatch.isRunning();
    m_startPause->setText(running ? QStringLiteral("Pause") : QStringLiteral("Start"));
    m_lap->setEnabled(running);
    redraw();
    // Nothing changes on screen while paused or hidden, so nothing wakes up then.
    if (running && isVisible()) {
        if (!m_redraw)
            m_redraw = m_clock.startRepeating(redrawInterval, [this] { redraw(); });
    } else {
        m_redraw.reset();
    }
}

void StopwatchPage::refreshLaps()
{
    m_laps->clear();
    const QList<double>& laps = m_stopwatch.laps();
    for (qsizetype i = 0; i < laps.size(); ++i) {
        auto* item = new QListWidgetItem(
            QStringLiteral("Lap %1\t%2").arg(laps.size() - i).arg(StopwatchTool::format(laps[i])), m_laps);
        item->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    redraw();
}

void StopwatchPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshState();
}

void StopwatchPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_redraw.reset();
}

// Four dots counting the focus periods of the current round.
class PomodoroDots final : public QWidget {
public:
    int filled = 0;

    QSize sizeHint() const override { return { 4 * 8 + 3 * 6, 8 }; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const int left = (width() - sizeHint().width()) / 2;
        for (int i = 0; i < 4; ++i) {
            QColor colour = palette().color(i < filled ? QPalette::Highlight : QPalette::PlaceholderText);
            if (i >= filled)
                colour.setAlphaF(0.3f);
            painter.setBrush(colour);
            painter.drawEllipse(QRectF(left + i * 14, 0, 8, 8));
        }
    }
};

PomodoroPage::PomodoroPage(PomodoroTool& pomodoro, QWidget* parent)
    : QWidget(parent)
    , m_pomodoro(pomodoro)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    m_title = new QLabel;
    QFont headline = m_title->font();
    headline.setPointSizeF(headline.pointSizeF() * 1.2);
    headline.setWeight(QFont::DemiBold);
    m_title->setFont(headline);
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_title);
    m_countdown = bigTime();
    layout->addWidget(m_countdown);
    m_dots = new PomodoroDots;
    m_dots->setFixedHeight(8);
    layout->addWidget(m_dots);

    auto* buttons = centredRow();
    m_startPause = new QPushButton;
    auto* skip = new QPushButton(QStringLiteral("Skip"));
    auto* reset = new QPushButton(QStringLiteral("Reset"));
    connect(m_startPause, &QPushButton::clicked, this, [this] {
        if (m_pomodoro.isRunning())
            m_pomodoro.stopTimer();
        else
            m_pomodoro.start();
    });
    connect(skip, &QPushButton::clicked, this, [this] { m_pomodoro.advance(false); });
    connect(reset, &QPushButton::clicked, this, [this] { m_pomodoro.reset(); });
    for (QPushButton* button : { m_startPause, skip, reset })
        buttons->addWidget(button);
    finish(buttons);
    layout->addLayout(buttons);

    auto* toggle = new QToolButton;
    toggle->setText(QStringLiteral("Durations (minutes)"));
    toggle->setCheckable(true);
    toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle->setArrowType(Qt::RightArrow);
    toggle->setAutoRaise(true);
    auto* durations = new QWidget;
    auto* durationsLayout = new QVBoxLayout(durations);
    durationsLayout->setContentsMargins(18, 0, 0, 0);
    const auto stepper = [durationsLayout](const QString& prefix, int lowest, int highest, int value) {
        auto* box = new QSpinBox;
        box->setPrefix(prefix);
        box->setRange(lowest, highest);
        box->setValue(std::clamp(value, lowest, highest));
        durationsLayout->addWidget(box);
        return box;
    };
    m_focus = stepper(QStringLiteral("Focus: "), 1, 120, m_pomodoro.focusMinutes());
    m_break = stepper(QStringLiteral("Break: "), 1, 60, m_pomodoro.breakMinutes());
    m_longBreak = stepper(QStringLiteral("Long break: "), 1, 90, m_pomodoro.longBreakMinutes());
    connect(m_focus, &QSpinBox::valueChanged, this, [this](int value) { m_pomodoro.setFocusMinutes(value); });
    connect(m_break, &QSpinBox::valueChanged, this, [this](int value) { m_pomodoro.setBreakMinutes(value); });
    connect(m_longBreak, &QSpinBox::valueChanged, this, [this](int value) { m_pomodoro.setLongBreakMinutes(value); });
    durations->setVisible(false);
    connect(toggle, &QToolButton::toggled, this, [toggle, durations](bool open) {
        toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        durations->setVisible(open);
    });
    layout->addWidget(toggle, 0, Qt::AlignHCenter);
    layout->addWidget(durations);

    connect(&m_pomodoro, &PomodoroTool::changed, this, &PomodoroPage::refresh);
    refresh();
}

int PomodoroPage::filledDots() const
{
    return m_dots->filled;
}

void PomodoroPage::refresh()
{
    m_title->setText(PomodoroTool::title(m_pomodoro.phase()));
    m_countdown->setText(m_pomodoro.display());
    m_startPause->setText(m_pomodoro.isRunning() ? QStringLiteral("Pause") : QStringLiteral("Start"));
    const int filled = static_cast<int>(m_pomodoro.completedFocuses() % 4);
    if (filled != m_dots->filled) {
        m_dots->filled = filled;
        m_dots->update();
    }
}

AlarmsPage::AlarmsPage(AlarmStore& alarms, bool onlyWhileRunning, QWidget* parent)
    : QWidget(parent)
    , m_alarms(alarms)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* addRow = new QHBoxLayout;
    m_time = new QTimeEdit(QTime::currentTime());
    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_label = new QLineEdit;
    m_label->setPlaceholderText(QStringLiteral("Label"));
    m_daily = new QCheckBox(QStringLiteral("Daily"));
    auto* addButton = new QPushButton(QStringLiteral("Add"));
    connect(addButton, &QPushButton::clicked, this, &AlarmsPage::add);
    connect(m_label, &QLineEdit::returnPressed, this, &AlarmsPage::add);
    addRow->addWidget(m_time);
    addRow->addWidget(m_label, 1);
    addRow->addWidget(m_daily);
    addRow->addWidget(addButton);
    layout->addLayout(addRow);
    if (onlyWhileRunning)
        layout->addWidget(caption(QStringLiteral("Alarms ring only while Quickhalo runs.")));

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* listWidget = new QWidget;
    m_list = new QVBoxLayout(listWidget);
    m_list->setContentsMargins(0, 0, 0, 0);
    m_list->setSpacing(6);
    scroll->setWidget(listWidget);
    layout->addWidget(scroll, 1);

    connect(&m_alarms, &AlarmStore::alarmsChanged, this, &AlarmsPage::rebuild);
    setFocusProxy(m_label);
    rebuild();
}

void AlarmsPage::add()
{
    const QTime time = m_time->time();
    m_alarms.add({ QUuid::createUuid(), time.hour(), time.minute(), m_label->text(), true, m_daily->isChecked() });
    m_label->clear();
}

QList<QWidget*> AlarmsPage::rows() const
{
    QList<QWidget*> list;
    for (int i = 0; i < m_list->count(); ++i) {
        if (QWidget* row = m_list->itemAt(i)->widget())
            list.append(row);
    }
    return list;
}

void AlarmsPage::rebuild()
{
    while (QLayoutItem* item = m_list->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QFont timeFont = ToolText::monospaced(18, QFont::DemiBold);
    for (const Alarm& alarm : m_alarms.alarms()) {
        auto* row = new QWidget;
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        auto* enabled = new QCheckBox;
        enabled->setChecked(alarm.enabled);
        enabled->setAccessibleName(QStringLiteral("Enabled"));
        // Queued: the change rebuilds the rows, this switch among them.
        connect(enabled, &QCheckBox::toggled, this, [this, alarm](bool on) {
            QMetaObject::invokeMethod(this, [this, alarm, on] {
                Alarm changed = alarm;
                changed.enabled = on;
                m_alarms.update(changed);
            }, Qt::QueuedConnection);
        });
        auto* texts = new QVBoxLayout;
        texts->setSpacing(0);
        auto* time = new QLabel(alarm.time());
        time->setFont(timeFont);
        texts->addWidget(time);
        auto* subtitle = caption(alarm.subtitle());
        subtitle->setAlignment(Qt::AlignLeft);
        texts->addWidget(subtitle);
        auto* remove = new QToolButton;
        remove->setIcon(QIcon::fromTheme(QStringLiteral("edit-delete")));
        remove->setText(QStringLiteral("Delete"));
        remove->setToolTip(QStringLiteral("Delete"));
        remove->setAutoRaise(true);
        connect(remove, &QToolButton::clicked, this, [this, id = alarm.id] {
            QMetaObject::invokeMethod(this, [this, id] { m_alarms.remove(id); }, Qt::QueuedConnection);
        });
        rowLayout->addWidget(enabled);
        rowLayout->addLayout(texts, 1);
        rowLayout->addWidget(remove);
        m_list->addWidget(row);
    }
    m_list->addStretch(1);
}

}
