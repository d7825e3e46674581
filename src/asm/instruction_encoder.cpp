#include "asm/instruction_encoder.h"

namespace tessaline::asm11 {
namespace {

enum class Registre { Aucun, X, Y };

struct Adresse {
    int32_t valeur = 0;
    bool connue = true; // known when first met
    Registre index = Registre::Aucun;
};

class Lecteur {
public:
    Lecteur(QStringView operande, const ChercheSymbole& chercher, int32_t compteur, bool passe2)
        : chercher_(chercher)
        , compteur_(compteur)
        , passe2_(passe2) {
        c_.texte = operande;
    }

    QString erreur;       // the operand cannot be read: no form, no bytes
    QString erreurValeur; // a value is undefined or out of range: the bytes keep their place
    Curseur& curseur() { return c_; }

    bool echec(const QString& texte) {
        if (erreur.isEmpty()) erreur = texte;
        return false;
    }
    bool echecValeur(const QString& texte) {
        if (erreurValeur.isEmpty()) erreurValeur = texte;
        return false;
    }

    // One expression; an undefined symbol is a fault in the second pass only.
    int32_t valeur(bool* connue = nullptr) {
        const Valeur v = evaluer(c_, chercher_, compteur_);
        if (!v.erreur.isEmpty())
            echec(QStringLiteral("bad operand: ") + v.erreur);
        else if (!v.inconnu.isEmpty() && passe2_)
            echecValeur(QStringLiteral("undefined symbol ") + v.inconnu);
        if (connue) *connue = v.connue();
        return v.valeur;
    }

    // X or Y standing alone as a word.
    Registre registre() {
        const QChar r = c_.courant().toUpper();
        if (r != u'X' && r != u'Y') return Registre::Aucun;
        if (c_.pos + 1 < c_.texte.size() && suiteSymbole(c_.texte[c_.pos + 1])) return Registre::Aucun;
        ++c_.pos;
        return r == u'X' ? Registre::X : Registre::Y;
    }

    // expr, or expr,X / expr,Y / ,X / ,Y (blanks allowed around the comma).
    // A comma not followed by a register is left to the caller.
    Adresse adresse() {
        Adresse a;
        const bool sansValeur = c_.courant() == u',';
        if (!sansValeur) a.valeur = valeur(&a.connue);
        if (!erreur.isEmpty()) return a;
        const qsizetype avant = c_.pos;
        c_.sauterBlancs();
        if (c_.prendre(u',')) {
            c_.sauterBlancs();
            a.index = registre();
        }
        if (a.index == Registre::Aucun) {
            c_.pos = avant;
            if (sansValeur) echec(QStringLiteral("bad operand: X or Y expected after ','"));
        }
        return a;
    }

    // Between the fields of the bit instructions: a comma, blanks, or both.
    bool separateur(const char* attendu) {
        const bool blancs = c_.sauterBlancs();
        if (c_.prendre(u',')) {
            c_.sauterBlancs();
            return true;
        }
        if (blancs && !c_.fin() && c_.courant() != u';') return true;
        return echec(QStringLiteral("bad operand: %1 expected").arg(QLatin1String(attendu)));
    }

    // What follows the operand must be a blank (a comment follows) or nothing.
    bool finOperande() {
        if (!erreur.isEmpty()) return false;
        if (c_.fin() || c_.courant() == u';') return true;
        const qsizetype avant = c_.pos;
        c_.sauterBlancs();
        if (c_.courant() == u',') return echec(QStringLiteral("bad operand: X or Y expected after ','"));
        if (c_.pos == avant) return echec(QStringLiteral("bad operand: unexpected '%1'").arg(c_.courant()));
        return true;
    }

    bool passe2() const { return passe2_; }

private:
    Curseur c_;
    const ChercheSymbole& chercher_;
    int32_t compteur_;
    bool passe2_;
};

// Range checks of the second pass, where every value is known.
bool verifier(Lecteur& l, int32_t v, int32_t min, int32_t max, const char* quoi) {
    if (!l.passe2() || (v >= min && v <= max)) return true;
    return l.echecValeur(QStringLiteral("%1 %2 out of range").arg(QLatin1String(quoi)).arg(v));
}

void octet(QByteArray& b, int32_t v) {
    b.append(char(v & 0xFF));
}

void mot(QByteArray& b, int32_t v) {
    b.append(char(v >> 8 & 0xFF));
    b.append(char(v & 0xFF));
}

// A branch displacement from the end of the instruction (M68HC11 RM, relative
// addressing: -128 to +127 bytes).
void deplacement(Lecteur& l, QByteArray& b, int32_t cible, int32_t finInstruction) {
    const int64_t d = int64_t(cible) - finInstruction;
    if (l.passe2() && (d < -128 || d > 127))
        l.echecValeur(QStringLiteral("branch out of range: target $%1 is %2 bytes away (-128 to +127)")
                          .arg(QString::number(cible & 0xFFFF, 16).toUpper().rightJustified(4, u'0'))
                          .arg(d));
    octet(b, int32_t(d & 0xFF));
}

InstrClass classeIndexee(Registre r, InstrClass x, InstrClass y) {
    return r == Registre::X ? x : y;
}

} // namespace

Codage coderInstruction(const QVector<FormeInstruction>& formes, QStringView operande, int32_t compteur,
                        const ChercheSymbole& chercher, const FormeInstruction* formeChoisie, bool passe2) {
    Lecteur l(operande, chercher, compteur, passe2);
    Codage r;
    const auto forme = [&](InstrClass k) { return formeDeClasse(formes, k); };
    QByteArray operandes;

    if (forme(InstrClass::Inherent)) {
        // Whatever follows an inherent instruction is a comment.
        r.forme = forme(InstrClass::Inherent);
    } else if (forme(InstrClass::Relative)) {
        r.forme = forme(InstrClass::Relative);
        const int32_t cible = l.valeur();
        if (l.finOperande()) deplacement(l, operandes, cible, compteur + r.forme->longueur);
    } else if (forme(InstrClass::BitDirect) || forme(InstrClass::BitBranchDirect)) {
        const bool branche = forme(InstrClass::BitBranchDirect) != nullptr;
        const Adresse a = l.adresse();
        if (!l.erreur.isEmpty()) return r.erreur = l.erreur, r;
        r.forme = forme(
            a.index == Registre::Aucun ? (branche ? InstrClass::BitBranchDirect : InstrClass::BitDirect)
            : branche ? classeIndexee(a.index, InstrClass::BitBranchIndexedX, InstrClass::BitBranchIndexedY)
                      : classeIndexee(a.index, InstrClass::BitIndexedX, InstrClass::BitIndexedY));
        verifier(l, a.valeur, 0, 0xFF, a.index == Registre::Aucun ? "direct address" : "index offset");
        octet(operandes, a.valeur);
        if (l.separateur("mask")) {
            l.curseur().prendre(u'#');
            const int32_t masque = l.valeur();
            verifier(l, masque, -128, 0xFF, "mask");
            octet(operandes, masque);
            if (branche && l.separateur("branch target")) {
                const int32_t cible = l.valeur();
                if (l.finOperande()) deplacement(l, operandes, cible, compteur + r.forme->longueur);
            } else if (!branche) {
                l.finOperande();
            }
        }
    } else if (l.curseur().prendre(u'#')) {
        r.forme =
            forme(InstrClass::Immediate8) ? forme(InstrClass::Immediate8) : forme(InstrClass::Immediate16);
        if (!r.forme)
            return r.erreur = QStringLiteral("bad operand: no immediate mode for this instruction"), r;
        const int32_t v = l.valeur();
        if (l.finOperande()) {
            if (r.forme->classe == InstrClass::Immediate8) {
                verifier(l, v, -128, 0xFF, "value");
                octet(operandes, v);
            } else {
                verifier(l, v, -32768, 0xFFFF, "value");
                mot(operandes, v);
            }
        }
    } else {
        const Adresse a = l.adresse();
        if (!l.erreur.isEmpty()) return r.erreur = l.erreur, r;
        if (a.index != Registre::Aucun) {
            r.forme = forme(classeIndexee(a.index, InstrClass::IndexedX, InstrClass::IndexedY));
            if (!r.forme)
                return r.erreur = QStringLiteral("bad operand: no indexed mode for this instruction"), r;
            verifier(l, a.valeur, 0, 0xFF, "index offset");
            octet(operandes, a.valeur);
        } else {
            const FormeInstruction* direct = forme(InstrClass::Direct);
            const FormeInstruction* etendu = forme(InstrClass::Extended);
            if (formeChoisie)
                r.forme = formeChoisie;
            else if (direct && (!etendu || (a.connue && a.valeur >= 0 && a.valeur <= 0xFF)))
                r.forme = direct;
            else
                r.forme = etendu;
            if (!r.forme)
                return r.erreur = QStringLiteral("bad operand: this instruction takes '#' or an index"), r;
            if (r.forme->classe == InstrClass::Direct) {
                verifier(l, a.valeur, 0, 0xFF, "direct address");
                octet(operandes, a.valeur);
            } else {
                verifier(l, a.valeur, 0, 0xFFFF, "address");
                mot(operandes, a.valeur);
            }
        }
        l.finOperande();
    }

    r.erreur = l.erreur.isEmpty() ? l.erreurValeur : l.erreur;
    if (r.forme->prebyte != 0) r.octets.append(char(r.forme->prebyte));
    r.octets.append(char(r.forme->opcode));
    r.octets.append(operandes);
    r.octets.resize(r.forme->longueur, '\0');
    return r;
}

} // namespace tessaline::asm11
