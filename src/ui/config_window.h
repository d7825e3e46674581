// frmConfig, "CONFIG": the CONFIG register of the chip behind the Talker, its
// bits as check boxes with what each does, and Lire / Programmer. The
// programming, its refusals and its questions are the operation's
// (operations/config_register.h); the new value takes effect at the next
// RESET, which the window says beside the value read.
#pragma once

#include <QVector>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessaline {

class Session;

class ConfigWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConfigWindow(Session& session, QWidget* parent = nullptr);

    // Reads CONFIG when the Talker answers, and sets the boxes from it.
    void lire();
    // The value read last by anyone (a Load Talker after a programming reads
    // it again), shown when it differs from the one shown.
    void suivreLecture();
    // The value the boxes make.
    int valeurCochee() const;

private:
    void construireCases();
    void montrer(int valeur);
    void suivreCases();
    void programmer();
    bool libre() const;

    Session& session_;
    QString puce_;
    QLabel* lu_;
    QLabel* nouvelle_;
    QWidget* cases_;
    QVector<QCheckBox*> boites_;
    QPushButton* programmer_;
    int valeurLue_ = -1;
};

} // namespace tessaline
