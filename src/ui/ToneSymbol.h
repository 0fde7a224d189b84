#pragma once

#include "ui/ToneLabel.h"

#include <QWidget>

// One of the application's single-colour symbols, drawn at the painter's pixel ratio in a
// tone of the inherited palette.
class ToneSymbol : public QWidget {
    Q_OBJECT

public:
    ToneSymbol(const QString& name, int size, ToneLabel::Tone tone, QWidget* parent = nullptr);

    QString name() const { return m_name; }
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    ToneLabel::Tone m_tone;
};
