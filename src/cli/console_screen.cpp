#include "cli/console_screen.h"

#include "link/control_names.h"

namespace tessaline {

namespace {
// Windows line ends as the windows keep them; a terminal wants plain ones.
QString lignesUnix(QString t) {
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The dump's character column shows the bytes 7F to 9F as the memory window's
// code page has them, some of them control characters (DEL, the C1 codes): a
// terminal would act on them. Each character that does not print is a "."
// here, as a byte below 32 already is; only the line ends stay.
QString imprimable(QString t) {
    for (QChar& c : t)
        if (c != u'\n' && !c.isPrint()) c = u'.';
    return t;
}
} // namespace

ConsoleScreen::ConsoleScreen(QTextStream& sortie, QTextStream& erreurs)
    : sortie_(sortie)
    , erreurs_(erreurs) {}

void ConsoleScreen::append(Zone zone, const QString& text, uint32_t, bool) {
    switch (zone) {
    case Zone::Memoire:
        finirProgression();
        memoire_ += text;
        sortie_ << imprimable(lignesUnix(text));
        sortie_.flush();
        break;
    case Zone::Trace:
        finirProgression();
        trace_ += text;
        erreurs_ << lignesUnix(text);
        erreurs_.flush();
        break;
    case Zone::Echo: echo_ += text; break;
    }
}

void ConsoleScreen::appendListing(const QString& ligne) {
    finirProgression();
    sortie_ << ligne << '\n';
    sortie_.flush();
}

void ConsoleScreen::clear(Zone zone) {
    switch (zone) {
    case Zone::Memoire: memoire_.clear(); break;
    case Zone::Trace: trace_.clear(); break;
    case Zone::Echo: echo_.clear(); break;
    }
}

QString ConsoleScreen::text(Zone zone) const {
    switch (zone) {
    case Zone::Memoire: return memoire_;
    case Zone::Trace: return trace_;
    case Zone::Echo: return echo_;
    }
    return {};
}

void ConsoleScreen::setText(const QString& control, const QString& text) {
    // The progress window's texts tell the user what to do (reset the board in
    // bootstrap mode) and what is going on: on a terminal they go to standard
    // error, once each time they change.
    const bool info = control == controle::TitreInfo || control == controle::TexteInfo;
    if (info && texts_.value(control) != text) {
        finirProgression();
        erreurs_ << lignesUnix(text) << Qt::endl;
    }
    if (control == controle::TitreInfo) libelle_ = text;
    texts_[control] = text;
}

void ConsoleScreen::showWait(const QString& label) {
    libelle_ = label.simplified();
}

void ConsoleScreen::runInProgressWindow(const QString& title, const std::function<void()>& operation) {
    libelle_ = title;
    operation();
    finirProgression();
}

void ConsoleScreen::setPanel(const QString& key, const QString& text, int) {
    panels_[key] = text;
}

void ConsoleScreen::setValue(const QString& control, int value) {
    if (!progressionTerminal_ || control != controle::BarreProgression || value == progression_) return;
    progression_ = value;
    erreurs_ << QStringLiteral("\r%1 %2 %").arg(libelle_).arg(value, 3);
    erreurs_.flush();
}

void ConsoleScreen::setProgressionTerminal(bool actif) {
    if (!actif) finirProgression();
    progressionTerminal_ = actif;
}

void ConsoleScreen::finirProgression() {
    if (progression_ < 0) return;
    progression_ = -1;
    // Back to the start of the line, and the line erased (ECMA-48 EL).
    erreurs_ << "\r\x1b[K";
    erreurs_.flush();
}

Reponse ConsoleScreen::message(const QString& text, const QString& title, Icone icon, Boutons buttons) {
    Q_UNUSED(title);
    finirProgression();
    erreurs_ << QStringLiteral("Tessaline: ") << lignesUnix(text) << Qt::endl;
    switch (buttons) {
    case Boutons::Ok:
        if (icon != Icone::Aucune && icon != Icone::Information) ++reports_;
        return Reponse::Ok;
    case Boutons::OkAnnuler: return oui_ ? Reponse::Ok : Reponse::Annuler;
    case Boutons::OuiNon:
    case Boutons::OuiNonAnnuler: return oui_ ? Reponse::Oui : Reponse::Non;
    }
    return Reponse::Ok;
}

} // namespace tessaline
