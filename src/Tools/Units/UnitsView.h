#pragma once

#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

#include "Tools/ToolViewHandoff.h"
#include "Tools/Units/CurrencyService.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace Quickhalo {

class ClipboardStore;
class Preferences;

// One field for "5 km in miles" or "10 usd to gbp", the answer live beneath it; Return copies the
// answer, closes the panel and pastes it where the user was. The last five queries that were
// used come back as buttons.
class UnitsView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int recentLimit = 5;

    UnitsView(ClipboardStore& clipboardHistory, Preferences& preferences, CurrencyService& currencies,
        ToolViewHandoff handoff, QWidget* parent = nullptr);
    ~UnitsView() override;

    QLineEdit* input() const;
    QLabel* resultLine() const;
    QLabel* noteLine() const;
    const std::optional<QString>& result() const { return m_result; }
    const QString& note() const { return m_note; }
    const QStringList& recent() const { return m_recent; }
    QList<QWidget*> recentButtons() const;
    bool isWaitingForRates() const { return m_pending != nullptr; }

    void commit();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void showRates(const QString& base, const QString& target, double amount, const CurrencyService::Result& answer);
    void display(std::optional<QString> result, const QString& note);
    void rebuildRecent();

    ClipboardStore& m_clipboardHistory;
    Preferences& m_preferences;
    CurrencyService& m_currencies;
    ToolViewHandoff m_handoff;
    QLineEdit* m_input = nullptr;
    QLabel* m_resultLine = nullptr;
    QLabel* m_noteLine = nullptr;
    QWidget* m_recentRow = nullptr;
    QHBoxLayout* m_recentLayout = nullptr;
    std::optional<QString> m_result;
    QString m_note;
    QStringList m_recent;
    std::unique_ptr<CurrencyService::Ticket> m_pending;
};

}
