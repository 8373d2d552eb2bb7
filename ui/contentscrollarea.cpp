// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/contentscrollarea.h"

#include <QEvent>
#include <QScrollBar>

ContentScrollArea::ContentScrollArea(QWidget *content, QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidget(content);
    content->installEventFilter(this);
}

QSize ContentScrollArea::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return widget()->sizeHint() + QSize(frame, frame);
}

void ContentScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitContent();
}

bool ContentScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        fitContent();
    return QScrollArea::eventFilter(watched, event);
}

// All the room there is, and no less than the content's minimum; a scroll
// bar the minimum calls for takes its own room.
void ContentScrollArea::fitContent()
{
    QWidget *content = widget();
    const QSize minimum = content->minimumSizeHint();
    QSize room = maximumViewportSize();
    if (minimum.height() > room.height())
        room.rwidth() -= verticalScrollBar()->sizeHint().width();
    if (minimum.width() > room.width())
        room.rheight() -= horizontalScrollBar()->sizeHint().height();
    const QSize size = room.expandedTo(minimum);
    if (content->size() != size)
        content->resize(size);
}
