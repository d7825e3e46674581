#include "asm/expression.h"

namespace tessaline::asm11 {

bool Curseur::sauterBlancs() {
    const qsizetype debut = pos;
    while (!fin() && (courant() == u' ' || courant() == u'\t'))
        ++pos;
    return pos > debut;
}

bool Curseur::prendre(QChar c) {
    if (fin() || courant() != c) return false;
    ++pos;
    return true;
}

bool debutSymbole(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c == u'.';
}

bool suiteSymbole(QChar c) {
    return debutSymbole(c) || (c >= u'0' && c <= u'9');
}

namespace {

int chiffre(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return 99;
}

// Far more than any source nests its operands, far less than the reading's
// stack can take (each level is a few calls).
constexpr int ProfondeurMaximum = 256;

// Arithmetic wraps at 32 bits (C++20 makes the narrowing modular) rather than overflowing.
int32_t enveloppe(int64_t v) {
    return static_cast<int32_t>(v);
}

class Evaluateur {
public:
    Evaluateur(Curseur& c, const ChercheSymbole& chercher, int32_t compteur)
        : c_(c)
        , chercher_(chercher)
        , compteur_(compteur) {}

    Valeur lire() {
        v_.valeur = somme();
        return v_;
    }

private:
    int32_t echec(const QString& texte) {
        if (v_.erreur.isEmpty()) v_.erreur = texte;
        return 0;
    }

    int32_t somme() {
        int32_t v = produit();
        while (v_.erreur.isEmpty()) {
            if (c_.prendre(u'+'))
                v = enveloppe(int64_t(v) + produit());
            else if (c_.prendre(u'-'))
                v = enveloppe(int64_t(v) - produit());
            else
                break;
        }
        return v;
    }

    int32_t produit() {
        int32_t v = unaire();
        while (v_.erreur.isEmpty()) {
            if (c_.prendre(u'*')) {
                v = enveloppe(int64_t(v) * unaire());
            } else if (c_.prendre(u'/')) {
                const int32_t d = unaire();
                if (d == 0) {
                    // A divisor not yet known is 0 in the first pass: no fault there.
                    if (v_.inconnu.isEmpty()) return echec(QStringLiteral("division by zero"));
                    v = 0;
                } else {
                    v = enveloppe(int64_t(v) / d);
                }
            } else {
                break;
            }
        }
        return v;
    }

    // Each sign and each parenthesis goes one level deeper into the reading:
    // a hostile source could otherwise nest them until the stack runs out.
    int32_t unaire() {
        if (profondeur_ >= ProfondeurMaximum)
            return echec(
                QStringLiteral("expression nested too deeply (more than %1 levels)").arg(ProfondeurMaximum));
        ++profondeur_;
        int32_t v = 0;
        if (c_.prendre(u'-'))
            v = enveloppe(-int64_t(unaire()));
        else if (c_.prendre(u'+'))
            v = unaire();
        else
            v = terme();
        --profondeur_;
        return v;
    }

    int32_t nombre(int base, const char* nom) {
        int32_t v = 0;
        qsizetype n = 0;
        while (!c_.fin() && chiffre(c_.courant()) < base) {
            v = v * base + chiffre(c_.courant());
            if (v > 0xFFFFFF) return echec(QStringLiteral("%1 number too large").arg(QLatin1String(nom)));
            ++c_.pos;
            ++n;
        }
        if (n == 0) return echec(QStringLiteral("%1 digit expected").arg(QLatin1String(nom)));
        if (suiteSymbole(c_.courant()))
            return echec(QStringLiteral("bad %1 digit '%2'").arg(QLatin1String(nom), c_.courant()));
        return v;
    }

    int32_t terme() {
        if (c_.fin() || c_.blancOuFin()) return echec(QStringLiteral("value expected"));
        const QChar x = c_.courant();
        if (c_.prendre(u'$')) return nombre(16, "hexadecimal");
        if (c_.prendre(u'%')) return nombre(2, "binary");
        if (c_.prendre(u'@')) return nombre(8, "octal");
        if (x >= u'0' && x <= u'9') return nombre(10, "decimal");
        if (c_.prendre(u'*')) return compteur_;
        if (c_.prendre(u'\'')) {
            if (c_.fin()) return echec(QStringLiteral("character expected after '"));
            const int32_t v = c_.courant().unicode();
            if (v > 0xFF) return echec(QStringLiteral("character outside Latin-1"));
            ++c_.pos;
            c_.prendre(u'\''); // the closing quote may be left out
            return v;
        }
        if (c_.prendre(u'(')) {
            const int32_t v = somme();
            if (v_.erreur.isEmpty() && !c_.prendre(u')')) return echec(QStringLiteral("')' expected"));
            return v;
        }
        if (debutSymbole(x)) {
            const qsizetype debut = c_.pos;
            while (!c_.fin() && suiteSymbole(c_.courant()))
                ++c_.pos;
            const QString nom = c_.texte.mid(debut, c_.pos - debut).toString();
            const std::optional<int32_t> v = chercher_(nom);
            if (v) return *v;
            if (v_.inconnu.isEmpty()) v_.inconnu = nom;
            return 0;
        }
        return echec(QStringLiteral("unexpected '%1'").arg(x));
    }

    Curseur& c_;
    const ChercheSymbole& chercher_;
    int32_t compteur_;
    Valeur v_;
    int profondeur_ = 0;
};

} // namespace

Valeur evaluer(Curseur& c, const ChercheSymbole& chercher, int32_t compteur) {
    return Evaluateur(c, chercher, compteur).lire();
}

} // namespace tessaline::asm11
