#pragma once

#include <QAbstractButton>

// A borderless button that is only its symbol, tinted with the palette's text colour: dimmed
// while pressed, faint while disabled. It never takes keyboard focus, so the arrow keys stay
// with frame stepping.
class SymbolButton : public QAbstractButton {
    Q_OBJECT

public:
    SymbolButton(const QString& symbol, QSize size, int symbolSize, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);

    QSize sizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QSize m_size;
    int m_symbolSize;
};
