// frmRegistres: the CPU registers of the target, one box each, and the bits
// of the condition code register. The boxes are locked (red) except in Reg SET
// mode (green, editable); every change of a box is at once the register's text.
#pragma once

#include <QLineEdit>
#include <QVector>
#include <QWidget>

class QLabel;
class QMenu;

namespace tessaline {

class Session;

class RegistersWindow : public QWidget {
    Q_OBJECT
public:
    explicit RegistersWindow(Session& session, QWidget* parent = nullptr);

    // Reg SET mode: the boxes editable and green, or locked and red.
    void setEditable(bool editable);
    bool editable() const { return editable_; }
    // The popup menu a right click opens while Reg SET can be entered.
    void setPopupMenu(QMenu* menu) { popup_ = menu; }
    QLineEdit* box(const QString& nom) const;
    void setQuitting(bool q) { quitting_ = q; }
    // The window's one size, frame included.
    QSize tailleCadre() const;
    // The PC's label, from the program's symbols, under the boxes.
    void nommerPC();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Boite {
        QLineEdit* edit;
        int chiffres;
    };
    int indexDe(QObject* objet) const;
    void restaurerTaille();

    Session& session_;
    QVector<Boite> boites_; // in the order PC, A, B, IX, IY, CCR, SP
    QMenu* popup_ = nullptr;
    QLabel* symbolePC_ = nullptr;
    bool editable_ = false;
    bool quitting_ = false;
};

} // namespace tessaline
