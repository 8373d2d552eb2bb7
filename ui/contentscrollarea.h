// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONTENTSCROLLAREA_H
#define CONTENTSCROLLAREA_H

#include <QScrollArea>

// Holds a window's whole content. It asks for the content's whole size, so
// that the window opens showing all of it where the screen has the room, and
// scrolls only what does not fit the content's minimum size. (A resizable
// QScrollArea takes a word-wrapped label's preferred height for a minimum and
// scrolls content that would fit.)
class ContentScrollArea : public QScrollArea
{
public:
    explicit ContentScrollArea(QWidget *content, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitContent();
};

#endif // CONTENTSCROLLAREA_H
