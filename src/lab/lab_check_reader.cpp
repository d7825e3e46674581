#include "lab_check_reader.h"

#include "sim/chip.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace tessaline::lab {

namespace {

// A fault found in the file: thrown from deep in the reading, caught once at the top.
struct Refus {
    int ligne;
    std::string texte;
};

int ligneDe(const toml::node& n) {
    return int(n.source().begin.line);
}

[[noreturn]] void refuser(const toml::node& n, std::string texte) {
    throw Refus{ligneDe(n), std::move(texte)};
}

std::string guillemets(std::string_view s) {
    return "« " + std::string(s) + " »";
}

// Every key of `t` must be one of `connues`.
void clesConnues(const toml::table& t, std::initializer_list<std::string_view> connues, std::string_view ou) {
    for (auto&& [cle, valeur] : t) {
        if (std::find(connues.begin(), connues.end(), cle.str()) != connues.end()) continue;
        std::string liste;
        for (std::string_view c : connues)
            liste += (liste.empty() ? "" : ", ") + std::string(c);
        throw Refus{int(cle.source().begin.line ? cle.source().begin.line : valeur.source().begin.line),
                    "clé inconnue " + guillemets(cle.str()) + " " + std::string(ou) +
                        " (clés possibles : " + liste + ")"};
    }
}

uint64_t entier(const toml::node& n, std::string_view nom, uint64_t min, uint64_t max) {
    std::optional<int64_t> v = n.value_exact<int64_t>();
    // 1e6 is a float in TOML: taken when it is a whole number in range.
    if (const std::optional<double> f = n.value_exact<double>();
        f && std::isfinite(*f) && *f == std::floor(*f) && std::fabs(*f) <= 1e15)
        v = int64_t(*f);
    if (!v) refuser(n, std::string(nom) + " doit être un nombre entier");
    if (*v < 0 || uint64_t(*v) < min || uint64_t(*v) > max)
        refuser(n, std::string(nom) + " vaut " + std::to_string(*v) + " : attendu de " + std::to_string(min) +
                       " à " + std::to_string(max));
    return uint64_t(*v);
}

std::string chaine(const toml::node& n, std::string_view nom) {
    const std::optional<std::string> v = n.value_exact<std::string>();
    if (!v) refuser(n, std::string(nom) + " doit être un texte entre guillemets");
    return *v;
}

// A number given as a TOML integer, or as text in the assembler's way: $FE20,
// %0101, 0xFE20, or decimal.
std::optional<uint32_t> nombreTexte(std::string_view s) {
    int base = 10;
    if (s.starts_with('$')) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.starts_with("0x") || s.starts_with("0X")) {
        base = 16;
        s.remove_prefix(2);
    } else if (s.starts_with('%')) {
        base = 2;
        s.remove_prefix(1);
    }
    uint32_t v = 0;
    const auto [fin, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (s.empty() || ec != std::errc{} || fin != s.data() + s.size()) return std::nullopt;
    return v;
}

uint16_t valeurBornee(const toml::node& n, std::string_view nom, uint32_t max) {
    if (n.is_integer() || n.is_floating_point()) return uint16_t(entier(n, nom, 0, max));
    if (n.is_string()) {
        const std::optional<uint32_t> v = nombreTexte(*n.value<std::string>());
        if (v && *v <= max) return uint16_t(*v);
    }
    char borne[8];
    std::snprintf(borne, sizeof borne, max > 0xFF ? "$%04X" : "$%02X", unsigned(max));
    refuser(n, std::string(nom) + " doit être un nombre de 0 à " + borne + " (0x1F, \"$1F\", 31)");
}

bool estEtiquette(std::string_view s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_' || s[0] == '.'))
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '$';
    });
}

AdresseLab adresse(const toml::node& n, std::string_view nom) {
    if (n.is_string()) {
        const std::string s = *n.value<std::string>();
        if (const std::optional<uint32_t> v = nombreTexte(s)) {
            if (*v > 0xFFFF) refuser(n, std::string(nom) + " " + s + " est au-delà de $FFFF");
            return {uint16_t(*v), {}};
        }
        if (estEtiquette(s)) return {std::nullopt, s};
        refuser(n, std::string(nom) + " " + guillemets(s) + " n'est ni une adresse ni une étiquette");
    }
    return {valeurBornee(n, nom, 0xFFFF), {}};
}

char nomPort(const toml::node& n) {
    const std::string s = chaine(n, "port");
    if (s.size() == 1 && std::toupper(static_cast<unsigned char>(s[0])) >= 'A' &&
        std::toupper(static_cast<unsigned char>(s[0])) <= 'E')
        return char(std::toupper(static_cast<unsigned char>(s[0])));
    refuser(n, "port " + guillemets(s) + " : attendu A, B, C, D ou E");
}

// "PB3": a port and a bit.
std::pair<char, int> nomBroche(const toml::node& n) {
    const std::string s = chaine(n, "broche");
    if (s.size() == 3 && std::toupper(static_cast<unsigned char>(s[0])) == 'P') {
        const char port = char(std::toupper(static_cast<unsigned char>(s[1])));
        if (port >= 'A' && port <= 'E' && s[2] >= '0' && s[2] <= '7') return {port, s[2] - '0'};
    }
    refuser(n, "broche " + guillemets(s) + " : attendu PA0 à PE7");
}

bool niveau(const toml::table& t, const toml::node& ou) {
    const toml::node* n = t.get("niveau");
    if (!n) refuser(ou, "il manque niveau = 0 ou 1");
    return entier(*n, "niveau", 0, 1) == 1;
}

const toml::node& requis(const toml::table& t, std::string_view cle, const toml::node& ou,
                         std::string_view pour) {
    const toml::node* n = t.get(cle);
    if (!n) refuser(ou, "il manque " + std::string(cle) + " " + std::string(pour));
    return *n;
}

// Exactly one of `genres` is in `t`: its name.
std::string_view unSeul(const toml::table& t, std::initializer_list<std::string_view> genres,
                        std::string_view quoi) {
    std::string_view trouve;
    std::string liste;
    for (std::string_view g : genres) {
        liste += (liste.empty() ? "" : ", ") + std::string(g);
        if (!t.contains(g)) continue;
        if (!trouve.empty())
            refuser(*t.get(g), std::string(quoi) + " : " + std::string(trouve) + " et " + std::string(g) +
                                   " ensemble ; un seul par " + std::string(quoi));
        trouve = g;
    }
    if (trouve.empty()) refuser(t, std::string(quoi) + " sans rien à faire : il faut l'un de " + liste);
    return trouve;
}

Stimulus lireStimulus(const toml::table& t, uint64_t limite, bool afficheur) {
    clesConnues(
        t,
        {"cycle", "adresse", "irq", "xirq", "duree", "broche", "niveau", "canal", "tension", "sci", "touche"},
        "dans un stimulus");
    Stimulus s;
    s.ligne = ligneDe(t);
    if (t.contains("cycle") == t.contains("adresse"))
        refuser(t, "un stimulus a soit cycle = N, soit adresse = A");
    if (const toml::node* c = t.get("cycle")) {
        s.quand.cycle = entier(*c, "cycle", 0, LimiteMaxCycles);
        if (*s.quand.cycle >= limite)
            refuser(*c, "stimulus au cycle " + std::to_string(*s.quand.cycle) +
                            ", au-delà de la limite du cas (" + std::to_string(limite) + " cycles)");
    } else {
        s.quand.adresse = adresse(*t.get("adresse"), "adresse");
    }
    const std::string_view genre = unSeul(t, {"irq", "xirq", "broche", "canal", "sci", "touche"}, "stimulus");
    if (genre == "irq" || genre == "xirq") {
        LigneInterruption l;
        l.xirq = genre == "xirq";
        const std::string a = chaine(*t.get(genre), genre);
        if (a == "appui")
            l.action = LigneInterruption::Action::Appui;
        else if (a == "bas")
            l.action = LigneInterruption::Action::Bas;
        else if (a == "haut")
            l.action = LigneInterruption::Action::Haut;
        else
            refuser(*t.get(genre),
                    std::string(genre) + " = " + guillemets(a) + " : attendu appui, bas ou haut");
        l.duree = DureeAppuiParDefaut;
        if (const toml::node* d = t.get("duree")) l.duree = entier(*d, "duree", 1, LimiteMaxCycles);
        s.action = l;
    } else if (genre == "broche") {
        const auto [port, bit] = nomBroche(*t.get("broche"));
        if (port == 'B')
            refuser(*t.get("broche"), "le port B n'a que des sorties : aucune broche à y imposer");
        s.action = NiveauBroche{port, bit, niveau(t, t)};
    } else if (genre == "canal") {
        TensionAnalogique a;
        a.canal = int(entier(*t.get("canal"), "canal", 0, 7));
        const toml::node& v = requis(t, "tension", t, "(en volts, de 0 à 5)");
        const std::optional<double> volts = v.value<double>();
        if (!volts || !std::isfinite(*volts) || *volts < 0 || *volts > 5)
            refuser(v, "tension : attendu un nombre de volts de 0 à 5");
        a.volts = *volts;
        s.action = a;
    } else if (genre == "touche") {
        const toml::node& n = *t.get("touche");
        if (!afficheur) refuser(n, "touche : le clavier n'est sur la carte qu'avec afficheur = true en tête");
        const std::string k = chaine(n, "touche");
        const int v = k.size() == 1 && std::isxdigit(static_cast<unsigned char>(k[0]))
                          ? int(std::stoi(k, nullptr, 16))
                          : (k == "aucune" ? -1 : -2);
        if (v == -2) refuser(n, "touche " + guillemets(k) + " : attendu 0 à 9, A à F, ou aucune");
        s.action = Touche{v};
    } else {
        const std::string texte = chaine(*t.get("sci"), "sci");
        if (texte.empty()) refuser(*t.get("sci"), "sci = \"\" : rien à envoyer");
        s.action = OctetsSci{texte};
    }
    return s;
}

uint16_t masqueDe(const toml::table& t, uint32_t max) {
    const toml::node* m = t.get("masque");
    return m ? valeurBornee(*m, "masque", max) : uint16_t(max);
}

Attente lireAttente(const toml::table& t, uint64_t limite, bool afficheur) {
    clesConnues(t,
                {"cycle", "points", "message", "memoire", "mot", "valeur", "masque", "port", "broche",
                 "niveau", "registre", "sci", "sci_contient", "atteint", "avant", "ecritures", "cop", "lcd"},
                "dans une attente");
    Attente a;
    a.ligne = ligneDe(t);
    if (const toml::node* p = t.get("points")) a.points = int(entier(*p, "points", 0, 1000));
    if (const toml::node* m = t.get("message")) a.message = chaine(*m, "message");
    if (const toml::node* c = t.get("cycle")) {
        a.cycle = entier(*c, "cycle", 0, LimiteMaxCycles);
        if (*a.cycle > limite)
            refuser(*c, "attente au cycle " + std::to_string(*a.cycle) + ", au-delà de la limite du cas (" +
                            std::to_string(limite) + " cycles)");
    }
    const std::string_view genre = unSeul(t,
                                          {"memoire", "mot", "port", "broche", "registre", "sci",
                                           "sci_contient", "atteint", "ecritures", "cop", "lcd"},
                                          "attente");
    const toml::node& n = *t.get(genre);
    const auto sansCycle = [&] {
        if (t.contains("cycle"))
            refuser(*t.get("cycle"), std::string(genre) + " vaut pour tout le cas : pas de cycle = N");
    };
    if (genre == "memoire" || genre == "mot") {
        ValeurMemoire v;
        v.adresse = adresse(n, genre);
        v.mot = genre == "mot";
        const uint32_t max = v.mot ? 0xFFFF : 0xFF;
        v.valeur = valeurBornee(requis(t, "valeur", t, "(la valeur attendue)"), "valeur", max);
        v.masque = masqueDe(t, max);
        a.quoi = v;
    } else if (genre == "port") {
        ValeurPort v;
        v.port = nomPort(n);
        v.valeur = uint8_t(valeurBornee(requis(t, "valeur", t, "(les niveaux attendus)"), "valeur", 0xFF));
        v.masque = uint8_t(masqueDe(t, 0xFF));
        a.quoi = v;
    } else if (genre == "broche") {
        const auto [port, bit] = nomBroche(n);
        a.quoi = ValeurBroche{port, bit, niveau(t, t)};
    } else if (genre == "registre") {
        ValeurRegistre v;
        v.nom = chaine(n, "registre");
        std::transform(v.nom.begin(), v.nom.end(), v.nom.begin(),
                       [](char c) { return char(std::toupper(c)); });
        static constexpr std::string_view noms[] = {"A", "B", "D", "X", "Y", "SP", "PC", "CCR"};
        if (std::find(std::begin(noms), std::end(noms), v.nom) == std::end(noms))
            refuser(n, "registre " + guillemets(v.nom) + " : attendu A, B, D, X, Y, SP, PC ou CCR");
        const uint32_t max = v.nom == "A" || v.nom == "B" || v.nom == "CCR" ? 0xFF : 0xFFFF;
        v.valeur = valeurBornee(requis(t, "valeur", t, "(la valeur attendue)"), "valeur", max);
        v.masque = masqueDe(t, max);
        a.quoi = v;
    } else if (genre == "sci" || genre == "sci_contient") {
        a.quoi = TexteSci{chaine(n, genre), genre == "sci_contient"};
    } else if (genre == "atteint") {
        sansCycle();
        AdresseAtteinte v;
        v.adresse = adresse(n, "atteint");
        v.avant = limite;
        if (const toml::node* av = t.get("avant")) v.avant = entier(*av, "avant", 1, limite);
        a.quoi = v;
    } else if (genre == "ecritures") {
        sansCycle();
        const toml::array* zones = n.as_array();
        if (!zones) refuser(n, "ecritures : attendu une liste de zones [[debut, fin], ...]");
        EcrituresPermises e;
        for (const toml::node& z : *zones) {
            const toml::array* paire = z.as_array();
            if (!paire || paire->size() != 2) refuser(z, "ecritures : chaque zone est [debut, fin]");
            const uint16_t debut = valeurBornee(*paire->get(0), "debut de zone", 0xFFFF);
            const uint16_t fin = valeurBornee(*paire->get(1), "fin de zone", 0xFFFF);
            if (fin < debut) refuser(z, "ecritures : une zone finit avant de commencer");
            e.zones.emplace_back(debut, fin);
        }
        a.quoi = e;
    } else if (genre == "lcd") {
        if (!afficheur) refuser(n, "lcd : l'afficheur n'est sur la carte qu'avec afficheur = true en tête");
        const toml::array* lignes = n.as_array();
        if (!lignes || lignes->empty() || lignes->size() > 2)
            refuser(n, "lcd : attendu une ou deux lignes, [\"ligne 1\", \"ligne 2\"]");
        TexteAfficheur texte;
        for (const toml::node& l : *lignes) {
            texte.lignes.push_back(chaine(l, "une ligne de lcd"));
            if (texte.lignes.back().size() > 16)
                refuser(l, "lcd : une ligne de l'afficheur a 16 caractères au plus");
        }
        a.quoi = texte;
    } else {
        sansCycle();
        if (!(n.is_boolean() && *n.value<bool>()) && n.value<std::string>() != "servi")
            refuser(n, "cop : attendu cop = \"servi\"");
        a.quoi = CopServi{};
    }
    if (genre != "memoire" && genre != "mot" && genre != "port" && genre != "registre" &&
        t.contains("valeur"))
        refuser(*t.get("valeur"), "valeur n'a pas de sens avec " + std::string(genre));
    if (genre != "broche" && t.contains("niveau"))
        refuser(*t.get("niveau"), "niveau n'a pas de sens avec " + std::string(genre));
    if (genre != "atteint" && t.contains("avant"))
        refuser(*t.get("avant"), "avant n'a de sens qu'avec atteint");
    return a;
}

Depart lireDepart(const toml::node& n) {
    if (n.value<std::string>() == "reset") return {};
    return {adresse(n, "depart")};
}

const toml::array& tableaux(const toml::node& n, std::string_view nom) {
    const toml::array* a = n.as_array();
    if (!a || !a->is_array_of_tables())
        refuser(n, std::string(nom) + " s'écrit en tableaux [[" + std::string(nom) + "]]");
    return *a;
}

VerificationLab lire(const toml::table& racine) {
    clesConnues(racine, {"titre", "puce", "quartz", "afficheur", "depart", "limite", "cas"},
                "en tête du fichier");
    VerificationLab v;
    if (const toml::node* n = racine.get("titre")) v.titre = chaine(*n, "titre");
    if (const toml::node* n = racine.get("puce")) {
        v.puce = chaine(*n, "puce");
        static constexpr std::string_view puces[] = {"68HC11A1", "68HC11E1", "68HC11F1", "68HC11811E2"};
        if (std::find(std::begin(puces), std::end(puces), v.puce) == std::end(puces))
            refuser(*n,
                    "puce " + guillemets(v.puce) + " : attendu 68HC11A1, 68HC11E1, 68HC11F1 ou 68HC11811E2");
    }
    if (const toml::node* n = racine.get("quartz")) {
        v.quartzMHz = unsigned(entier(*n, "quartz", 2, 16));
        if (v.quartzMHz != 2 && v.quartzMHz != 4 && v.quartzMHz != 8 && v.quartzMHz != 16)
            refuser(*n, "quartz : attendu 2, 4, 8 ou 16 (MHz)");
    }
    if (const toml::node* n = racine.get("afficheur")) {
        if (!n->is_boolean()) refuser(*n, "afficheur : attendu true ou false");
        v.afficheur = *n->value<bool>();
    }
    Depart depart;
    if (const toml::node* n = racine.get("depart")) depart = lireDepart(*n);
    const hc11::ChipDescription& puce = *hc11::findChip(v.puce);
    // Starting at the reset vector needs it in the EEPROM (F1, 811E2): the A1 and E1
    // keep their vectors in a ROM the board does not have.
    const auto departPossible = [&](const Depart& d, const toml::node& ou) {
        if (!d.adresse && !puce.inEeprom(0xFFFE))
            refuser(ou, "le " + v.puce +
                            " n'a pas son vecteur de RESET ($FFFE) en EEPROM : donnez depart = l'adresse "
                            "du programme (\"$B600\", ou une étiquette)");
    };
    std::optional<uint64_t> limite;
    if (const toml::node* n = racine.get("limite")) limite = entier(*n, "limite", 1, LimiteMaxCycles);
    const toml::node* cas = racine.get("cas");
    if (cas && cas->as_array() && cas->as_array()->size() > MaxParCas)
        refuser(*cas, "plus de " + std::to_string(MaxParCas) + " cas");
    if (!cas) throw Refus{0, "aucun cas : ajoutez au moins un [[cas]]"};
    for (const toml::node& n : tableaux(*cas, "cas")) {
        const toml::table& t = *n.as_table();
        clesConnues(t, {"nom", "depart", "limite", "stimulus", "attendu"}, "dans un cas");
        CasLab c;
        c.ligne = ligneDe(t);
        c.nom = chaine(requis(t, "nom", t, "(le nom du cas)"), "nom");
        for (const CasLab& autre : v.cas)
            if (autre.nom == c.nom) refuser(*t.get("nom"), "deux cas s'appellent " + guillemets(c.nom));
        c.depart = t.contains("depart") ? lireDepart(*t.get("depart")) : depart;
        departPossible(c.depart, t.contains("depart")        ? *t.get("depart")
                                 : racine.contains("depart") ? *racine.get("depart")
                                                             : t);
        if (const toml::node* l = t.get("limite"))
            c.limite = entier(*l, "limite", 1, LimiteMaxCycles);
        else if (limite)
            c.limite = *limite;
        else
            refuser(t,
                    "le cas " + guillemets(c.nom) + " n'a pas de limite (limite = N cycles, ici ou en tête)");
        for (const char* liste : {"stimulus", "attendu"})
            if (const toml::array* a = t.get(liste) ? t.get(liste)->as_array() : nullptr;
                a && a->size() > MaxParCas)
                refuser(*a, "plus de " + std::to_string(MaxParCas) + " " + liste + " dans le cas " +
                                guillemets(c.nom));
        if (const toml::node* s = t.get("stimulus"))
            for (const toml::node& e : tableaux(*s, "cas.stimulus"))
                c.stimuli.push_back(lireStimulus(*e.as_table(), c.limite, v.afficheur));
        const toml::node* at = t.get("attendu");
        if (!at) refuser(t, "le cas " + guillemets(c.nom) + " n'attend rien : ajoutez un [[cas.attendu]]");
        for (const toml::node& e : tableaux(*at, "cas.attendu"))
            c.attentes.push_back(lireAttente(*e.as_table(), c.limite, v.afficheur));
        v.cas.push_back(std::move(c));
    }
    return v;
}

} // namespace

std::string AdresseLab::texte() const {
    if (!valeur) return etiquette;
    char buf[8];
    std::snprintf(buf, sizeof buf, "$%04X", unsigned(*valeur));
    return buf;
}

int CasLab::pointsMax() const {
    int n = 0;
    for (const Attente& a : attentes)
        n += a.points;
    return n;
}

bool CasLab::copEnMarche() const {
    return std::any_of(attentes.begin(), attentes.end(),
                       [](const Attente& a) { return std::holds_alternative<CopServi>(a.quoi); });
}

int VerificationLab::pointsMax() const {
    int n = 0;
    for (const CasLab& c : cas)
        n += c.pointsMax();
    return n;
}

LectureVerification lireVerification(std::string_view texte) {
    LectureVerification r;
    try {
        r.verification = lire(toml::parse(texte));
    } catch (const toml::parse_error& e) {
        r.ligne = int(e.source().begin.line);
        r.erreur = "erreur de syntaxe TOML : " + std::string(e.description());
    } catch (const Refus& refus) {
        r.ligne = refus.ligne;
        r.erreur = refus.texte;
    }
    return r;
}

} // namespace tessaline::lab
