// The status bar's keyed panels: "Port", "Com", "Talker", "Cible", each a text
// with its image.
#pragma once

#include <QLabel>
#include <QMap>
#include <QWidget>

namespace tessaline {

class StatusPanels : public QWidget {
    Q_OBJECT
public:
    static const QStringList& cles();

    explicit StatusPanels(QWidget* parent = nullptr);

    void setPanel(const QString& cle, const QString& texte, int image);
    QString panelText(const QString& cle) const;
    int panelImage(const QString& cle) const { return images_.value(cle, 0); }

private:
    struct Panneau {
        QLabel* image;
        QLabel* texte;
    };
    QMap<QString, Panneau> panneaux_;
    QMap<QString, int> images_;
};

// The main window's image list: the pictures of the link states.
QPixmap imagePanneau(int image);

} // namespace tessaline
