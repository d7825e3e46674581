#include "ui/source_area.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

#include <algorithm>

namespace tessaline {

class SourceArea::Marge : public QWidget {
public:
    explicit Marge(SourceArea* zone)
        : QWidget(zone)
        , zone_(zone) {
        setObjectName(QStringLiteral("marge"));
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Cliquez pour poser ou retirer un point d'arr\u00eat"));
    }
    QSize sizeHint() const override { return {zone_->largeurMarge(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { zone_->peindreMarge(event); }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        if (const int i = zone_->ligneA(int(event->position().y())); i >= 0) emit zone_->margeCliquee(i);
    }

private:
    SourceArea* zone_;
};

namespace {
// The marks' column, left of the numbers.
constexpr int LargeurMarques = 14;
} // namespace

SourceArea::SourceArea(QWidget* parent, bool numeros)
    : RichTextArea(parent)
    , marge_(new Marge(this))
    , numeros_(numeros) {
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
    if (!numeros_) return LargeurMarques;
    const int chiffres = int(QString::number(std::max(1, blockCount())).size());
    return LargeurMarques + 4 + fontMetrics().horizontalAdvance(u'9') * std::max(3, chiffres);
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
        if (b.isVisible() && haut + hauteur >= event->rect().top()) {
            if (numeros_)
                p.drawText(QRectF(0, haut, marge_->width() - 4, fontMetrics().height()), Qt::AlignRight,
                           QString::number(b.blockNumber() + 1));
            if (const auto m = marques_.constFind(b.blockNumber()); m != marques_.constEnd()) {
                const qreal d = std::min<qreal>(LargeurMarques - 4, fontMetrics().height() - 2);
                const QRectF disque(2, haut + (fontMetrics().height() - d) / 2, d, d);
                p.save();
                p.setRenderHint(QPainter::Antialiasing);
                p.setPen(QPen(QColor(0xC0, 0, 0), 1.5));
                p.setBrush(*m ? QBrush(QColor(0xE0, 0x10, 0x10)) : QBrush(Qt::NoBrush));
                p.drawEllipse(disque);
                p.restore();
            }
        }
        haut += hauteur;
        b = b.next();
    }
}

void SourceArea::setMarques(const QMap<int, bool>& marques) {
    if (marques == marques_) return;
    marques_ = marques;
    marge_->update();
}

int SourceArea::ligneA(int y) const {
    QTextBlock b = firstVisibleBlock();
    qreal haut = blockBoundingGeometry(b).translated(contentOffset()).top();
    while (b.isValid()) {
        const qreal hauteur = blockBoundingRect(b).height();
        if (b.isVisible() && y >= haut && y < haut + hauteur) return b.blockNumber();
        if (haut > y) break;
        haut += hauteur;
        b = b.next();
    }
    return -1;
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
