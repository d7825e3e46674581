#include "ui/qt_screen.h"

#include "link/control_names.h"
#include "ui/rich_text_area.h"
#include "ui/status_panels.h"
#include "ui/wait_window.h"
#include "ui/windows_colour.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

namespace tessaline {

namespace {

QtScreen::ControleInconnu& gestionnaireInconnu() {
    static QtScreen::ControleInconnu g = [](const QString& nom) {
        qWarning("Tessaline: no control named %s", qPrintable(nom));
    };
    return g;
}

} // namespace

void QtScreen::setUnknownControlHandler(ControleInconnu gestionnaire) {
    gestionnaireInconnu() = std::move(gestionnaire);
}

QtScreen::QtScreen(QWidget* racine)
    : racine_(racine) {}

void QtScreen::setAreas(RichTextArea* trace, RichTextArea* memoire, RichTextArea* echo) {
    trace_ = trace;
    memoire_ = memoire;
    echo_ = echo;
}

void QtScreen::setWaitWindow(WaitWindow* attente) {
    attente_ = attente;
}

RichTextArea* QtScreen::zone(Zone z) const {
    switch (z) {
    case Zone::Trace: return trace_;
    case Zone::Memoire: return memoire_;
    case Zone::Echo: return echo_;
    }
    return nullptr;
}

QObject* QtScreen::controle(const QString& nom) const {
    if (!racine_) return nullptr;
    if (QObject* o = racine_->findChild<QObject*>(nom)) return o;
    // Dialogs shown on their own (the progress window) are top-level widgets.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == nom) return w;
        if (QObject* o = w->findChild<QObject*>(nom)) return o;
    }
    // A dialog's controls may be named while it is closed; any other name must
    // be found.
    if (!controle::estDeDialogue(nom) && gestionnaireInconnu()) gestionnaireInconnu()(nom);
    return nullptr;
}

void QtScreen::append(Zone z, const QString& text, uint32_t colour, bool bold) {
    if (RichTextArea* a = zone(z)) a->appendRun(text, colour, bold);
}

void QtScreen::clear(Zone z) {
    if (RichTextArea* a = zone(z)) a->clear();
}

QString QtScreen::text(Zone z) const {
    RichTextArea* a = zone(z);
    return a ? a->toPlainText() : QString();
}

void QtScreen::setPanel(const QString& key, const QString& text, int image) {
    if (auto* p = racine_ ? racine_->findChild<StatusPanels*>() : nullptr) p->setPanel(key, text, image);
}

QString QtScreen::panel(const QString& key) const {
    auto* p = racine_ ? racine_->findChild<StatusPanels*>() : nullptr;
    return p ? p->panelText(key) : QString();
}

void QtScreen::setEnabled(const QString& control, bool enabled) {
    QObject* o = controle(control);
    if (auto* w = qobject_cast<QWidget*>(o))
        w->setEnabled(enabled);
    else if (auto* a = qobject_cast<QAction*>(o))
        a->setEnabled(enabled);
}

void QtScreen::setText(const QString& control, const QString& text) {
    QObject* o = controle(control);
    if (auto* e = qobject_cast<QLineEdit*>(o))
        e->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(o))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(o))
        b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        g->setTitle(text);
    else if (auto* a = qobject_cast<QAction*>(o))
        a->setText(text);
}

void QtScreen::setTextColour(const QString& control, uint32_t colour) {
    if (auto* w = qobject_cast<QWidget*>(controle(control))) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, couleurQt(colour));
        p.setColor(QPalette::Text, couleurQt(colour));
        p.setColor(QPalette::ButtonText, couleurQt(colour));
        w->setPalette(p);
    }
}

void QtScreen::setValue(const QString& control, int value) {
    QObject* o = controle(control);
    if (auto* p = qobject_cast<QProgressBar*>(o))
        p->setValue(value);
    else if (auto* s = qobject_cast<QSpinBox*>(o))
        s->setValue(value);
    else if (auto* b = qobject_cast<QAbstractButton*>(o); b && b->isCheckable())
        b->setChecked(value != 0); // as a program does it: no click
}

void QtScreen::showWait(const QString& label) {
    if (attente_) attente_->montrer(label);
}

void QtScreen::hideWait() {
    if (attente_) attente_->cacher();
}

void QtScreen::runInProgressWindow(const QString& title, const std::function<void()>& operation) {
    if (progression_)
        progression_(title, operation);
    else
        operation();
}

QString QtScreen::fichierAEnregistrer(const QString& titre, const QString& filtre) {
    // The dialog asks before an existing file is replaced.
    return QFileDialog::getSaveFileName(racine_, titre, QString(), filtre);
}

Reponse QtScreen::message(const QString& text, const QString& title, Icone icon, Boutons buttons) {
    return afficherBoite(text, title, icon, buttons, -1);
}

Reponse QtScreen::messageAvecAide(const QString& text, const QString& title, Icone icon, Boutons buttons,
                                  int contexte) {
    return afficherBoite(text, title, icon, buttons, aide_ ? contexte : -1);
}

Reponse QtScreen::afficherBoite(const QString& text, const QString& title, Icone icon, Boutons buttons,
                                int contexte) {
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    switch (icon) {
    case Icone::Question: icone = QMessageBox::Question; break;
    case Icone::Critique: icone = QMessageBox::Critical; break;
    case Icone::Exclamation: icone = QMessageBox::Warning; break;
    case Icone::Information: icone = QMessageBox::Information; break;
    case Icone::Aucune: break;
    }
    QMessageBox::StandardButtons boutons = QMessageBox::Ok;
    switch (buttons) {
    case Boutons::Ok: boutons = QMessageBox::Ok; break;
    case Boutons::OuiNon: boutons = QMessageBox::Yes | QMessageBox::No; break;
    case Boutons::OuiNonAnnuler: boutons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case Boutons::OkAnnuler: boutons = QMessageBox::Ok | QMessageBox::Cancel; break;
    }
    QMessageBox boite(icone, title, text, boutons, racine_);
    boite.setObjectName(QStringLiteral("msgTessaline"));
    if (contexte >= 0) {
        // The Aide button opens the page beside the question and leaves the
        // question up: its click no longer reaches the box, which would close
        // on any button. The box blocks only its own window (the help window
        // has none above it), so the help window takes the mouse.
        QPushButton* aide = boite.addButton(QMessageBox::Help);
        aide->setText(QStringLiteral("&Aide"));
        QObject::disconnect(aide, &QAbstractButton::clicked, nullptr, nullptr);
        QObject::connect(aide, &QAbstractButton::clicked,
                         [this, contexte, &boite] { aide_(contexte, &boite); });
        boite.setWindowModality(Qt::WindowModal);
    }
    switch (boite.exec()) {
    case QMessageBox::Yes: return Reponse::Oui;
    case QMessageBox::No: return Reponse::Non;
    case QMessageBox::Cancel: return Reponse::Annuler;
    default: return Reponse::Ok;
    }
}

void QtScreen::beep() {
    ++beeps_;
    QApplication::beep();
}

void QtScreen::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++occupe_;
    } else if (occupe_ > 0) {
        QApplication::restoreOverrideCursor();
        --occupe_;
    }
}

} // namespace tessaline
