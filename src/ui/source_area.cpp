#include "ui/source_area.h"

#include <QPainter>
#include <QTextBlock>

namespace tessaline {

class SourceArea::Marge : public QWidget {
public:
    explicit Marge(SourceArea* zone)
        : QWidget(zone)
        , zone_(zone) {
        setObjectName(QStringLiteral("margeNumeros"));
    }
    QSize sizeHint() const override { return {zone_->largeurMarge(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { zone_->peindreMarge(event); }

private:
    SourceArea* zone_;
};

SourceArea::SourceArea(QWidget* parent)
    : RichTextArea(parent)
    , marge_(new Marge(this)) {
    // A source is edited: Undo works, and Tab writes a tab.
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    setActionMenuEnabled(false);
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(largeurMarge(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& r, int dy) {
        if (dy)
            marge_->scroll(0, dy);
        else
            marge_->update(0, r.y(), marge_->width(), r.height());
    });
    setViewportMargins(largeurMarge(), 0, 0, 0);
}

int SourceArea::largeurMarge() const {
    const int chiffres = int(QString::number(std::max(1, blockCount())).size());
    return 8 + fontMetrics().horizontalAdvance(u'9') * std::max(3, chiffres);
}

void SourceArea::resizeEvent(QResizeEvent* event) {
    RichTextArea::resizeEvent(event);
    const QRect r = contentsRect();
    marge_->setGeometry(r.left(), r.top(), largeurMarge(), r.height());
}

void SourceArea::peindreMarge(QPaintEvent* event) {
    QPainter p(marge_);
    p.fillRect(event->rect(), QColor(0xEE, 0xEE, 0xEE));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setFont(font());
    QTextBlock b = firstVisibleBlock();
    qreal haut = blockBoundingGeometry(b).translated(contentOffset()).top();
    while (b.isValid() && haut <= event->rect().bottom()) {
        const qreal hauteur = blockBoundingRect(b).height();
        if (b.isVisible() && haut + hauteur >= event->rect().top())
            p.drawText(QRectF(0, haut, marge_->width() - 4, fontMetrics().height()), Qt::AlignRight,
                       QString::number(b.blockNumber() + 1));
        haut += hauteur;
        b = b.next();
    }
}

void SourceArea::montrerLigne(int ligne) {
    surlignerLigne(this, ligne - 1);
    setFocus();
}

void surlignerLigne(QPlainTextEdit* area, int index) {
    if (index < 0 || index >= area->blockCount()) {
        area->setExtraSelections({});
        return;
    }
    QTextCursor c(area->document()->findBlockByNumber(index));
    QTextEdit::ExtraSelection s;
    s.cursor = c;
    s.format.setBackground(QColor(0xFF, 0xF0, 0x80));
    s.format.setProperty(QTextFormat::FullWidthSelection, true);
    area->setExtraSelections({s});
    area->setTextCursor(c);
    area->centerCursor();
}

} // namespace tessaline
