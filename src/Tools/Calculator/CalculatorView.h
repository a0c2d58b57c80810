#pragma once

#include <QWidget>

#include "Tools/ToolViewHandoff.h"

class QLabel;
class QLineEdit;

namespace Quickhalo {

class ClipboardStore;

// One line of arithmetic with its result shown live beneath; Return copies the result, closes
// the panel and pastes it where the user was.
class CalculatorView final : public QWidget {
    Q_OBJECT

public:
    CalculatorView(ClipboardStore& clipboardHistory, ToolViewHandoff handoff, QWidget* parent = nullptr);

    QLineEdit* input() const { return m_input; }
    QLabel* result() const { return m_result; }
    bool resultHasValue() const { return m_hasValue; }

    // The line under the input: "= 15", "…" while there is no value, one space when empty.
    static QString resultLine(const QString& input);

    void copyResult();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showResultOf(const QString& input);

    ClipboardStore& m_clipboardHistory;
    ToolViewHandoff m_handoff;
    QLineEdit* m_input = nullptr;
    QLabel* m_result = nullptr;
    bool m_hasValue = false;
};

}
