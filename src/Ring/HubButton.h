#pragma once

#include <QAbstractButton>

namespace Quickhalo {

// A round button in the ring's centre showing a symbol, brightening while hovered; its help text
// is the tooltip. It may be drawn dimmed while staying pressable.
class HubButton final : public QAbstractButton {
    Q_OBJECT

public:
    HubButton(const QString& symbol, const QString& help, int diameter, QWidget* parent = nullptr);

    void setSymbol(const QString& symbol);
    QString symbol() const { return m_symbol; }
    void setDimmed(bool dimmed);
    bool isDimmed() const { return m_dimmed; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_symbol;
    bool m_dimmed = false;
    bool m_hovered = false;
};

}
