#include "asm/assembler.h"

#include "asm/instruction_encoder.h"
#include "asm/source_line.h"

#include <QHash>

#include <algorithm>

namespace tessaline::asm11 {

int Assemblage::nombreOctets() const {
    int n = 0;
    for (const LigneAssemblee& l : lignes)
        n += int(l.octets.size());
    return n;
}

namespace {

constexpr int32_t FinMemoire = 0x10000;

class Assembleur {
public:
    explicit Assembleur(const QString& source)
        : lignesSource_(source.split(u'\n')) {
        if (!lignesSource_.isEmpty() && lignesSource_.back().isEmpty()) lignesSource_.removeLast();
        for (QString& l : lignesSource_)
            if (l.endsWith(u'\r')) l.chop(1);
        formes_.resize(lignesSource_.size());
    }

    Assemblage executer() {
        for (passe2_ = false;; passe2_ = true) {
            compteur_ = 0;
            for (int i = 0; i < lignesSource_.size(); ++i) {
                ligne_ = i;
                if (passe2_) r_.lignes.append({i + 1, lignesSource_[i], -1, {}, {}, {}});
                if (!assemblerLigne()) break;
            }
            if (passe2_) break;
        }
        for (const LigneAssemblee& l : r_.lignes)
            for (const QString& e : l.erreurs)
                r_.erreurs.append({l.numero, e});
        return r_;
    }

private:
    LigneAssemblee& courante() { return r_.lignes.back(); }

    void erreur(const QString& texte) {
        if (passe2_) courante().erreurs.append(texte);
    }

    std::optional<int32_t> symbole(const QString& nom) const {
        const auto it = r_.symboles.constFind(nom);
        if (it == r_.symboles.constEnd()) return std::nullopt;
        return *it;
    }

    // Pass 1 defines; pass 2 finds a second definition of the same name.
    void definir(const QString& nom, int32_t valeur) {
        if (!debutSymbole(nom[0]) || !std::all_of(nom.begin(), nom.end(), suiteSymbole)) {
            erreur(QStringLiteral("bad label '%1'").arg(nom));
            return;
        }
        if (!passe2_) {
            if (!definiA_.contains(nom)) {
                definiA_.insert(nom, ligne_);
                r_.symboles.insert(nom, valeur);
            }
        } else if (definiA_.value(nom) != ligne_) {
            erreur(QStringLiteral("duplicate label %1 (first defined on line %2)")
                       .arg(nom)
                       .arg(definiA_.value(nom) + 1));
        }
    }

    // An operand that must be known when it is first met (ORG, EQU, RMB).
    std::optional<int32_t> valeurImmediate(QStringView operande, const char* directive) {
        Curseur c{operande};
        const ChercheSymbole chercher = [this](const QString& nom) { return symbole(nom); };
        const Valeur v = evaluer(c, chercher, compteur_);
        if (!v.erreur.isEmpty()) {
            erreur(QStringLiteral("bad operand: ") + v.erreur);
            return std::nullopt;
        }
        if (!c.blancOuFin() && c.courant() != u';') {
            erreur(QStringLiteral("bad operand: unexpected '%1'").arg(c.courant()));
            return std::nullopt;
        }
        // In pass 2 the table holds every symbol: look the name up as pass 1 saw it.
        if (!v.inconnu.isEmpty() || (passe2_ && inconnuPasse1_.contains(ligne_))) {
            const QString nom = v.inconnu.isEmpty() ? inconnuPasse1_.value(ligne_) : v.inconnu;
            if (!passe2_)
                inconnuPasse1_.insert(ligne_, nom);
            else if (r_.symboles.contains(nom))
                erreur(QStringLiteral("%1 needs a value known here: %2 is defined further down")
                           .arg(QLatin1String(directive), nom));
            else
                erreur(QStringLiteral("undefined symbol ") + nom);
            return std::nullopt;
        }
        return v.valeur;
    }

    // Expressions separated by commas (FCB, FDB).
    void liste(QStringView operande, bool mots) {
        Curseur c{operande};
        const ChercheSymbole chercher = [this](const QString& nom) { return symbole(nom); };
        QByteArray octets;
        do {
            const Valeur v = evaluer(c, chercher, compteur_);
            if (!v.erreur.isEmpty()) {
                erreur(QStringLiteral("bad operand: ") + v.erreur);
                return;
            }
            if (!v.inconnu.isEmpty()) erreur(QStringLiteral("undefined symbol ") + v.inconnu);
            const bool dedans =
                mots ? v.valeur >= -32768 && v.valeur <= 0xFFFF : v.valeur >= -128 && v.valeur <= 0xFF;
            if (!dedans && v.inconnu.isEmpty()) erreur(QStringLiteral("value %1 out of range").arg(v.valeur));
            if (mots) octets.append(char(v.valeur >> 8 & 0xFF));
            octets.append(char(v.valeur & 0xFF));
        } while (c.prendre(u','));
        if (!c.blancOuFin() && c.courant() != u';') {
            erreur(QStringLiteral("bad operand: unexpected '%1'").arg(c.courant()));
            return;
        }
        emettre(octets);
    }

    void chaine(QStringView operande) {
        if (operande.isEmpty()) {
            erreur(QStringLiteral("bad operand: delimited string expected"));
            return;
        }
        const QChar delimiteur = operande[0];
        const qsizetype fin = operande.indexOf(delimiteur, 1);
        if (fin < 0) {
            erreur(QStringLiteral("bad operand: string not closed by %1").arg(delimiteur));
            return;
        }
        const QStringView texte = operande.mid(1, fin - 1);
        for (QChar c : texte)
            if (c.unicode() > 0xFF) {
                erreur(QStringLiteral("bad operand: character '%1' outside Latin-1").arg(c));
                return;
            }
        emettre(texte.toLatin1());
    }

    void emettre(const QByteArray& octets) {
        if (compteur_ + octets.size() > FinMemoire) {
            erreur(QStringLiteral("code beyond $FFFF"));
            return;
        }
        if (passe2_) {
            // A faulty line that emits nothing past the last cell has no address.
            if (compteur_ < FinMemoire) courante().adresse = compteur_;
            courante().octets = octets;
        }
        compteur_ += int32_t(octets.size());
    }

    void instruction(const QString& operation, QStringView operande) {
        const QVector<FormeInstruction>* formes = formesDe(operation);
        if (!formes) {
            erreur(QStringLiteral("unknown mnemonic %1").arg(operation));
            return;
        }
        const ChercheSymbole chercher = [this](const QString& nom) { return symbole(nom); };
        const Codage c = coderInstruction(*formes, operande, compteur_, chercher, formes_[ligne_], passe2_);
        if (!passe2_) formes_[ligne_] = c.forme;
        if (!c.erreur.isEmpty()) erreur(c.erreur);
        // A value that turns out wrong only in pass 2 (a division by a symbol
        // defined further down that is 0) keeps the length pass 1 gave.
        if (passe2_ && !c.forme && formes_[ligne_])
            emettre(QByteArray(formes_[ligne_]->longueur, '\0'));
        else
            emettre(c.octets);
    }

    // False once END is met.
    bool assemblerLigne() {
        const LigneSource l = decouper(lignesSource_[ligne_]);
        const QString op = l.operation.toUpper();
        if (op == u"EQU") {
            if (l.etiquette.isEmpty()) {
                erreur(QStringLiteral("EQU needs a label"));
                return true;
            }
            const std::optional<int32_t> v = valeurImmediate(l.reste, "EQU");
            if (v) {
                definir(l.etiquette, *v);
                if (passe2_) courante().valeurEqu = *v;
            }
            return true;
        }
        if (op == u"ORG") {
            const std::optional<int32_t> v = valeurImmediate(l.reste, "ORG");
            if (v && (*v < 0 || *v > 0xFFFF))
                erreur(QStringLiteral("ORG address %1 out of range").arg(*v));
            else if (v)
                compteur_ = *v;
        }
        if (!l.etiquette.isEmpty()) definir(l.etiquette, compteur_);
        if (op.isEmpty() || op == u"ORG") return true;
        if (op == u"END") {
            if (!l.reste.isEmpty() && l.reste[0] != u';') {
                Curseur c{l.reste};
                const Valeur v = evaluer(
                    c, [this](const QString& nom) { return symbole(nom); }, compteur_);
                if (!v.erreur.isEmpty())
                    erreur(QStringLiteral("bad operand: ") + v.erreur);
                else if (!v.inconnu.isEmpty())
                    erreur(QStringLiteral("undefined symbol ") + v.inconnu);
                else
                    r_.depart = v.valeur & 0xFFFF;
            }
            return false;
        }
        if (op == u"FCB")
            liste(l.reste, false);
        else if (op == u"FDB")
            liste(l.reste, true);
        else if (op == u"FCC")
            chaine(l.reste);
        else if (op == u"RMB")
            reserver(l.reste);
        else if (op == u"BSZ" || op == u"ZMB") {
            if (const std::optional<int32_t> n = compte(l.reste, op == u"BSZ" ? "BSZ" : "ZMB"))
                emettre(QByteArray(*n, '\0'));
        } else if (op == u"FILL")
            remplir(l.reste);
        else if (op == u"OPT" || op == u"PAGE")
            return true; // listing controls: this listing has no pages and no options
        else
            instruction(l.operation, l.reste);
        return true;
    }

    // A byte count that must be known when first met (RMB, BSZ, ZMB, FILL).
    std::optional<int32_t> compte(QStringView operande, const char* directive) {
        const std::optional<int32_t> n = valeurImmediate(operande, directive);
        if (!n) return std::nullopt;
        if (*n < 0 || int64_t(compteur_) + *n > FinMemoire) {
            erreur(QStringLiteral("%1 %2 bytes: beyond $FFFF or negative")
                       .arg(QLatin1String(directive))
                       .arg(*n));
            return std::nullopt;
        }
        return n;
    }

    void reserver(QStringView operande) {
        const std::optional<int32_t> n = compte(operande, "RMB");
        if (!n) return;
        if (passe2_ && compteur_ < FinMemoire) courante().adresse = compteur_;
        compteur_ += *n;
    }

    // FILL value,count: `count` bytes of `value`.
    void remplir(QStringView operande) {
        Curseur c{operande};
        const Valeur v = evaluer(
            c, [this](const QString& nom) { return symbole(nom); }, compteur_);
        if (!v.erreur.isEmpty() || !c.prendre(u',')) {
            erreur(QStringLiteral("bad operand: FILL value,count expected"));
            return;
        }
        const std::optional<int32_t> n = compte(operande.mid(c.pos), "FILL");
        if (!n) return;
        if (!v.inconnu.isEmpty())
            erreur(QStringLiteral("undefined symbol ") + v.inconnu);
        else if (v.valeur < -128 || v.valeur > 0xFF)
            erreur(QStringLiteral("value %1 out of range").arg(v.valeur));
        emettre(QByteArray(*n, char(v.valeur & 0xFF)));
    }

    QStringList lignesSource_;
    QVector<const FormeInstruction*> formes_; // chosen in pass 1, kept in pass 2
    QHash<QString, int> definiA_;             // the line (from 0) that defined each symbol
    QHash<int, QString> inconnuPasse1_;       // ORG, EQU, RMB... lines that met an unknown symbol
    Assemblage r_;
    bool passe2_ = false;
    int ligne_ = 0;
    int32_t compteur_ = 0;
};

} // namespace

Assemblage assembler(const QString& source) {
    return Assembleur(source).executer();
}

} // namespace tessaline::asm11
