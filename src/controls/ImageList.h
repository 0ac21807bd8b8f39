#pragma once

#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <vector>

// Several pictures of equal size addressed by index. The pictures carry their
// device pixel ratio, so drawing one at a logical position stays sharp.
class TImageList {
public:
    TImageList() = default;
    TImageList(QSize size, std::vector<QPixmap> images) : size_(size), images_(std::move(images)) {}

    int count() const { return static_cast<int>(images_.size()); }
    QSize size() const { return size_; }
    int width() const { return size_.width(); }
    int height() const { return size_.height(); }
    const QPixmap& image(int i) const { return images_[static_cast<size_t>(i)]; }

    // An index the list does not hold draws nothing.
    void draw(QPainter& p, QPoint at, int index) const
    {
        if (index >= 0 && index < count())
            p.drawPixmap(at, images_[static_cast<size_t>(index)]);
    }

private:
    QSize size_;
    std::vector<QPixmap> images_;
};
