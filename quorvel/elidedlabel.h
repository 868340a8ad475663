#pragma once
// A one-line label for status texts of any length: a text wider than the label is shortened with
// "..." in the middle instead of wrapping, so that a long message never moves the window's layout.
// The full text stays the label's text and is offered as its tooltip.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Shows `text` (shortened to fit) with the whole text as the tooltip.
    void setStatus(const QString& text);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
