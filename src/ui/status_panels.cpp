#include "ui/status_panels.h"

#include "link/screen.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>

namespace tessaline {

const QStringList& StatusPanels::cles() {
    static const QStringList c = {QStringLiteral("Port"), QStringLiteral("Com"), QStringLiteral("Talker"),
                                  QStringLiteral("Cible")};
    return c;
}

QPixmap imagePanneau(int image) {
    QColor c;
    switch (image) {
    case image::ComOuverte:
    case image::TalkerCharge:
    case image::CibleTourne: c = QColor(0, 160, 0); break;
    case image::ComFermee:
    case image::TalkerAbsent: c = QColor(200, 0, 0); break;
    case image::CibleArretee: c = QColor(230, 140, 0); break;
    default: return {};
    }
    QPixmap p(12, 12);
    p.fill(Qt::transparent);
    QPainter peintre(&p);
    peintre.setRenderHint(QPainter::Antialiasing);
    peintre.setBrush(c);
    peintre.setPen(c.darker());
    if (image == image::CibleTourne)
        peintre.drawPolygon(QPolygon({QPoint(2, 1), QPoint(11, 6), QPoint(2, 11)}));
    else if (image == image::CibleArretee)
        peintre.drawRect(2, 2, 8, 8);
    else
        peintre.drawEllipse(1, 1, 10, 10);
    return p;
}

StatusPanels::StatusPanels(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("sbStatusBar"));
    auto* ligne = new QHBoxLayout(this);
    ligne->setContentsMargins(0, 0, 0, 0);
    for (const QString& cle : cles()) {
        auto* cadre = new QFrame(this);
        cadre->setObjectName(cle);
        cadre->setFrameShape(QFrame::StyledPanel);
        cadre->setFrameShadow(QFrame::Sunken);
        auto* l = new QHBoxLayout(cadre);
        l->setContentsMargins(4, 0, 6, 0);
        auto* image = new QLabel(cadre);
        auto* texte = new QLabel(cadre);
        texte->setObjectName(cle + QStringLiteral("Texte"));
        texte->setMinimumWidth(cle == QStringLiteral("Port") ? 120 : 90);
        l->addWidget(image);
        l->addWidget(texte);
        ligne->addWidget(cadre);
        panneaux_.insert(cle, {image, texte});
    }
    ligne->addStretch();
}

void StatusPanels::setPanel(const QString& cle, const QString& texte, int image) {
    const auto it = panneaux_.find(cle);
    if (it == panneaux_.end()) return;
    it->texte->setText(texte);
    it->image->setPixmap(imagePanneau(image));
    images_[cle] = image;
}

QString StatusPanels::panelText(const QString& cle) const {
    const auto it = panneaux_.find(cle);
    return it == panneaux_.end() ? QString() : it->texte->text();
}

} // namespace tessaline
