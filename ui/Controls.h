#pragma once
// Controls placed by their positions and sizes in twips.
#include "Twips.h"

#include <QLabel>
#include <QPushButton>

namespace platform {

// A command button; none of the windows' buttons becomes a default button
// by taking the focus.
inline QPushButton* MakeButton(const QString& caption, QWidget* container, int left, int top,
                               int width, int height) {
    auto* button = new QPushButton(caption, container);
    button->setAutoDefault(false);
    PlaceTwips(button, left, top, width, height);
    return button;
}

// A label that shows its text as written, wrapped at word boundaries.
inline QLabel* MakeLabel(const QString& caption, QWidget* container, int left, int top, int width,
                         int height) {
    auto* label = new QLabel(caption, container);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(label, left, top, width, height);
    return label;
}

// Chains the controls in tab order, first to last.
inline void SetTabOrder(const QList<QWidget*>& order) {
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace platform
