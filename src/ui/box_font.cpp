#include "ui/box_font.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace quorvane {

namespace {

constexpr int kSmallestPixelSize = 7;
// The blank a line edit keeps on each side of its text inside the contents
// rectangle.
constexpr int kLineEditTextMargin = 2;

// Width the box gives its text: the style's contents rectangle less the
// text margins; a text fits when its advance plus one pixel for the cursor
// is not wider.
int textAreaWidth(const QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.rect();
    option.lineWidth =
        box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
    const QMargins margins = box.textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * kLineEditTextMargin;
}

void fitFont(QLineEdit& box, int largestPixelSize) {
    const int available = textAreaWidth(box);
    QFont font = box.font();
    int size = largestPixelSize;
    for (; size > kSmallestPixelSize; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(box.text()) + 1 <= available)
            break;
    }
    font.setPixelSize(size);
    if (font != box.font())
        box.setFont(font);
}

}  // namespace

void keepWholeTextVisible(QLineEdit& box, int largestPixelSize) {
    QObject::connect(&box, &QLineEdit::textChanged, &box,
                     [&box, largestPixelSize] { fitFont(box, largestPixelSize); });
    fitFont(box, largestPixelSize);
}

}  // namespace quorvane
