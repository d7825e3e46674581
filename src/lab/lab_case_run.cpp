#include "lab_case_run.h"

#include "lab_trace.h"
#include "sim/board.h"
#include "sim/registers.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdio>

namespace tessaline::lab {

namespace {

std::string hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "$%02X", v & 0xFF);
    return b;
}

std::string hex4(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "$%04X", v & 0xFFFF);
    return b;
}

// A text the SCI sent or was expected to send, its control bytes shown: "BONJOUR\r\n"
// reads « BONJOUR<CR><LF> ».
std::string montrer(std::string_view s) {
    // A program that talks without end: its first characters say enough.
    constexpr std::size_t Montres = 160;
    std::string r;
    std::size_t vus = 0;
    for (; vus < s.size() && r.size() < Montres; ++vus) {
        const unsigned char c = static_cast<unsigned char>(s[vus]);
        if (c == '\r')
            r += "<CR>";
        else if (c == '\n')
            r += "<LF>";
        else if (c < 0x20 || c == 0x7F)
            r += "<" + hex2(c) + ">";
        else
            r += char(c);
    }
    if (vus < s.size()) r += "… (" + milliers(s.size()) + " octets en tout)";
    return "« " + r + " »";
}

hc11::Port portSim(char p) {
    switch (p) {
    case 'B': return hc11::Port::B;
    case 'C': return hc11::Port::C;
    case 'D': return hc11::Port::D;
    default: return hc11::Port::E;
    }
}

// One case on one board.
class Execution {
public:
    Execution(const VerificationLab& v, const CasLab& cas, const ProgrammeLab& p, bool tracer)
        : tracer_(tracer)
        , afficheur_(v.afficheur)
        , cas_(cas)
        , programme_(p)
        , carte_(*hc11::findChip(v.puce), v.quartzMHz * 1'000'000u)
        , trace_(carte_, tracer) {
        r_.nom = cas.nom;
        r_.pointsMax = cas.pointsMax();
        for (const Attente& a : cas.attentes)
            r_.attentes.push_back({a.ligne, false, 0, {}});
        faits_.assign(cas.attentes.size(), false);
        stimuliFaits_.assign(cas.stimuli.size(), false);
    }

    ResultatCas executer() {
        if (preparer()) derouler();
        conclure();
        return std::move(r_);
    }

private:
    uint64_t maintenant() const { return carte_.cycleCount() - debut_; }
    // The case's end: its limit, which the last instruction may overrun by a few cycles.
    uint64_t finCas() const { return std::min(maintenant(), cas_.limite); }

    std::optional<uint16_t> resoudre(const AdresseLab& a) const {
        if (a.valeur) return a.valeur;
        const auto it = programme_.etiquettes.find(a.etiquette);
        if (it == programme_.etiquettes.end()) return std::nullopt;
        return it->second;
    }

    // Loads the program and resolves every label; false when the case cannot run.
    bool preparer() {
        const hc11::ChipDescription& puce = carte_.chip();
        // The COP runs for a case that checks it is fed (CONFIG.NOCOP = 0, taken at reset).
        if (cas_.copEnMarche()) carte_.programConfig(uint8_t(puce.config & ~hc11::config::NOCOP));
        if (afficheur_) carte_.fitLcdAndKeypad();
        for (const hc11::SRecordBlock& b : programme_.blocs)
            if (!carte_.loadBinary(b.address, b.bytes)) {
                for (std::size_t i = 0; i < b.bytes.size(); ++i) {
                    const uint32_t a = b.address + uint32_t(i);
                    if (a > 0xFFFF || (!puce.inRam(uint16_t(a)) && !puce.inEeprom(uint16_t(a)))) {
                        abandonner("le programme place des octets en " + hex4(a) + ", où le " +
                                   std::string(puce.name) + " n'a ni RAM ni EEPROM");
                        return false;
                    }
                }
            }
        const auto manque = [&](const AdresseLab& a, int ligne) {
            std::string t = "l'étiquette « " + a.etiquette + " » (ligne " + std::to_string(ligne) +
                            " de la vérification) n'est pas dans le programme";
            // "FE00" reads as a label: an address wants its prefix.
            if (std::all_of(a.etiquette.begin(), a.etiquette.end(),
                            [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                t += " (pour une adresse, écrivez \"$" + a.etiquette + "\" ou 0x" + a.etiquette + ")";
            abandonner(std::move(t));
            return false;
        };
        for (const Stimulus& s : cas_.stimuli)
            if (s.quand.adresse && !resoudre(*s.quand.adresse)) return manque(*s.quand.adresse, s.ligne);
        for (const Attente& a : cas_.attentes) {
            const AdresseLab* adr = nullptr;
            if (const auto* m = std::get_if<ValeurMemoire>(&a.quoi)) adr = &m->adresse;
            if (const auto* t = std::get_if<AdresseAtteinte>(&a.quoi)) adr = &t->adresse;
            if (adr && !resoudre(*adr)) return manque(*adr, a.ligne);
        }
        if (cas_.depart.adresse) {
            const std::optional<uint16_t> pc = resoudre(*cas_.depart.adresse);
            if (!pc) return manque(*cas_.depart.adresse, cas_.ligne);
            carte_.resetSingleChip(*pc);
        } else {
            // The reset vector must be the program's: erased EEPROM would send the CPU to $FFFF.
            const auto couvre = [&](uint16_t a) {
                return std::any_of(programme_.blocs.begin(), programme_.blocs.end(),
                                   [a](const hc11::SRecordBlock& b) {
                                       return a >= b.address && std::size_t(a - b.address) < b.bytes.size();
                                   });
            };
            if (!couvre(0xFFFE) || !couvre(0xFFFF)) {
                abandonner("le programme ne donne pas le vecteur de RESET ($FFFE) : ajoutez ORG $FFFE et FDB "
                           "suivi de son adresse de départ");
                return false;
            }
            carte_.resetSingleChip();
        }
        debut_ = carte_.cycleCount();
        hc11::Cpu& cpu = carte_.cpu();
        cpu.stopOnEvents = true;
        carte_.stopOnUnmappedFetch = true;
        carte_.hostFollowsSciRate = true;
        for (const Stimulus& s : cas_.stimuli)
            if (s.quand.adresse) trace_.guetter(*resoudre(*s.quand.adresse));
        for (const Attente& a : cas_.attentes)
            if (const auto* t = std::get_if<AdresseAtteinte>(&a.quoi)) trace_.guetter(*resoudre(t->adresse));
        if (trace_.guette() || tracer_) cpu.setTrace(&trace_);
        surveillerEcritures();
        return true;
    }
    void abandonner(std::string raison) {
        r_.fin = std::move(raison);
        r_.finAnormale = true;
    }

    // Write watchpoints over everything the ranges of the writes still unbroken leave
    // out (the register block is always the program's to write).
    void surveillerEcritures() {
        const hc11::ChipDescription& puce = carte_.chip();
        if (hors_.empty()) {
            // Once per case: each expectation's addresses outside its ranges.
            hors_.resize(cas_.attentes.size());
            for (std::size_t i = 0; i < cas_.attentes.size(); ++i) {
                const auto* e = std::get_if<EcrituresPermises>(&cas_.attentes[i].quoi);
                if (!e) continue;
                std::bitset<65536>& hors = hors_[i];
                hors.set();
                for (const auto& [debut, fin] : e->zones)
                    for (uint32_t a = debut; a <= fin; ++a)
                        hors.reset(a);
                for (uint32_t a = puce.registerStart; a <= puce.registerEnd(); ++a)
                    hors.reset(a);
            }
        }
        std::bitset<65536> surveilles;
        for (std::size_t i = 0; i < cas_.attentes.size(); ++i)
            if (std::holds_alternative<EcrituresPermises>(cas_.attentes[i].quoi) && !faits_[i])
                surveilles |= hors_[i];
        std::vector<hc11::Board::Watchpoint> points;
        for (uint32_t a = 0; a <= 0xFFFF;) {
            if (!surveilles.test(a)) {
                ++a;
                continue;
            }
            uint32_t fin = a;
            while (fin < 0xFFFF && surveilles.test(fin + 1))
                ++fin;
            points.push_back({uint16_t(a), uint16_t(fin), false, true});
            a = fin + 1;
        }
        carte_.setWatchpoints(std::move(points));
    }

    // The next cycle (from the case's start) something is due: a timed stimulus, the end
    // of a press, an expectation at its cycle, the limit.
    uint64_t prochainMoment() const {
        uint64_t t = cas_.limite;
        for (std::size_t i = 0; i < cas_.stimuli.size(); ++i)
            if (cas_.stimuli[i].quand.cycle && !stimulusFait(i))
                t = std::min(t, *cas_.stimuli[i].quand.cycle);
        for (const auto& [quand, xirq] : relachements_)
            t = std::min(t, quand);
        for (std::size_t i = 0; i < cas_.attentes.size(); ++i)
            if (cas_.attentes[i].cycle && !faits_[i]) t = std::min(t, *cas_.attentes[i].cycle);
        return std::max(t, maintenant());
    }
    bool stimulusFait(std::size_t i) const { return stimuliFaits_[i]; }

    void derouler() {
        hc11::Cpu& cpu = carte_.cpu();
        for (;;) {
            const uint64_t cible = prochainMoment();
            carte_.runUntil(debut_ + cible);
            recueillirSci();
            if (const std::optional<uint16_t> pc = trace_.atteinte()) adresseAtteinte(*pc);
            if (carte_.watchHit()) {
                ecritureHors(*carte_.watchHit());
                carte_.clearWatchHit();
            }
            if (const auto& a = carte_.unmappedFetch()) {
                abandonner("le programme est parti en " + hex4(a->address) +
                           ", où il n'y a pas de mémoire, au cycle " + milliers(a->cycle - debut_));
                return;
            }
            if (cpu.lastEvent() == hc11::Cpu::Event::IllegalOpcode) {
                abandonner("opcode illégal " + hex2(carte_.peek(cpu.lastIllegalPc())) + " en " +
                           hex4(cpu.lastIllegalPc()) + " au cycle " + milliers(maintenant()));
                return;
            }
            if (cpu.lastEvent() == hc11::Cpu::Event::Stop || cpu.lastEvent() == hc11::Cpu::Event::Wai) {
                arret_ = std::string(cpu.lastEvent() == hc11::Cpu::Event::Stop ? "STOP" : "WAI") + " en " +
                         hex4(cpu.instructionAddress()) + " au cycle " + milliers(maintenant());
                cpu.clearEvent();
            }
            if (maintenant() >= cible) {
                momentsEchus();
                if (maintenant() >= cas_.limite) return;
            }
        }
    }

    void recueillirSci() {
        for (uint8_t o : carte_.hostReadAll())
            sci_ += char(o);
    }

    void appliquer(const Stimulus& s) {
        std::visit(
            [&](const auto& a) {
                using T = std::decay_t<decltype(a)>;
                if constexpr (std::is_same_v<T, NiveauBroche>) {
                    if (a.port == 'A')
                        carte_.setPortAInput(a.bit, a.haut);
                    else
                        carte_.setPortInput(portSim(a.port), a.bit, a.haut);
                } else if constexpr (std::is_same_v<T, LigneInterruption>) {
                    const bool bas = a.action != LigneInterruption::Action::Haut;
                    a.xirq ? carte_.setXirqPinLow(bas) : carte_.setIrqPinLow(bas);
                    if (a.action == LigneInterruption::Action::Appui)
                        relachements_.emplace_back(std::min(cas_.limite, maintenant() + a.duree), a.xirq);
                } else if constexpr (std::is_same_v<T, TensionAnalogique>) {
                    carte_.setAnalogInput(a.canal, a.volts);
                } else if constexpr (std::is_same_v<T, Touche>) {
                    carte_.releaseAllKeys();
                    if (a.touche >= 0)
                        carte_.pressKey(a.touche / hc11::Keypad::kSize, a.touche % hc11::Keypad::kSize);
                } else {
                    // A terminal set to the program's rate types the text.
                    carte_.setHostBaud(carte_.eClockHz() / carte_.sci().bitCycles());
                    for (char c : a.texte)
                        carte_.hostSend(uint8_t(c));
                }
            },
            s.action);
    }

    void adresseAtteinte(uint16_t pc) {
        const uint64_t quand = trace_.cycleAtteinte() - debut_;
        for (std::size_t i = 0; i < cas_.stimuli.size(); ++i) {
            const Stimulus& s = cas_.stimuli[i];
            if (s.quand.adresse && *resoudre(*s.quand.adresse) == pc) appliquer(s);
        }
        for (std::size_t i = 0; i < cas_.attentes.size(); ++i) {
            const auto* t = std::get_if<AdresseAtteinte>(&cas_.attentes[i].quoi);
            if (!t || faits_[i] || *resoudre(t->adresse) != pc) continue;
            if (quand <= t->avant)
                noter(i, true, {});
            else
                noter(i, false,
                      nomAdresse(t->adresse) + " atteinte au cycle " + milliers(quand) +
                          " seulement, attendue avant le cycle " + milliers(t->avant));
        }
        // An address a stimulus waits for stays watched: it acts each time.
        bool encore = false;
        for (const Stimulus& s : cas_.stimuli)
            encore |= s.quand.adresse && *resoudre(*s.quand.adresse) == pc;
        if (!encore) trace_.oublier(pc);
    }

    std::string nomAdresse(const AdresseLab& a) const {
        return a.valeur ? hex4(*a.valeur) : a.etiquette + " (" + hex4(*resoudre(a)) + ")";
    }

    void ecritureHors(const hc11::Board::WatchHit& h) {
        for (std::size_t i = 0; i < cas_.attentes.size(); ++i) {
            const auto* e = std::get_if<EcrituresPermises>(&cas_.attentes[i].quoi);
            if (!e || faits_[i]) continue;
            const bool dedans = std::any_of(e->zones.begin(), e->zones.end(), [&](const auto& z) {
                return h.address >= z.first && h.address <= z.second;
            });
            if (dedans || carte_.chip().inRegisters(h.address)) continue;
            noter(i, false,
                  "écrit " + hex2(h.value) + " en " + hex4(h.address) + " au cycle " +
                      milliers(maintenant()) + " (instruction en " + hex4(h.instruction) +
                      "), hors des zones permises");
        }
        surveillerEcritures();
    }

    void momentsEchus() {
        const uint64_t t = maintenant();
        for (auto it = relachements_.begin(); it != relachements_.end();) {
            if (it->first > t) {
                ++it;
                continue;
            }
            it->second ? carte_.setXirqPinLow(false) : carte_.setIrqPinLow(false);
            it = relachements_.erase(it);
        }
        for (std::size_t i = 0; i < cas_.stimuli.size(); ++i)
            if (cas_.stimuli[i].quand.cycle && *cas_.stimuli[i].quand.cycle <= t && !stimulusFait(i)) {
                appliquer(cas_.stimuli[i]);
                stimuliFaits_[i] = true;
            }
        for (std::size_t i = 0; i < cas_.attentes.size(); ++i)
            if (cas_.attentes[i].cycle && *cas_.attentes[i].cycle <= t && !faits_[i]) evaluer(i, false);
    }

    void noter(std::size_t i, bool reussi, std::string texte) {
        faits_[i] = true;
        r_.attentes[i].reussi = reussi;
        r_.attentes[i].points = reussi ? cas_.attentes[i].points : 0;
        r_.attentes[i].texte = std::move(texte);
        if (!reussi && !cas_.attentes[i].message.empty())
            r_.attentes[i].texte += " — " + cas_.attentes[i].message;
        // The instructions that led to the first miss, not those the case ran after it.
        if (!reussi && tracer_ && r_.trace.empty()) r_.trace = trace_.lignes(debut_);
    }

    std::string moment(std::size_t i) const {
        const Attente& a = cas_.attentes[i];
        return a.cycle ? "au cycle " + milliers(*a.cycle) : "à la fin (cycle " + milliers(finCas()) + ")";
    }

    // An expectation on the board's state now. `fin`: the case is over.
    void evaluer(std::size_t i, bool fin) {
        const Attente& a = cas_.attentes[i];
        hc11::Cpu& cpu = carte_.cpu();
        std::visit(
            [&](const auto& q) {
                using T = std::decay_t<decltype(q)>;
                const auto comparer = [&](const std::string& nom, uint16_t vu, uint16_t attendu,
                                          uint16_t masque, bool seize) {
                    const auto h = [&](uint16_t v) { return seize ? hex4(v) : hex2(v); };
                    if ((vu & masque) == (attendu & masque)) return noter(i, true, {});
                    std::string t = nom + " vaut " + h(vu) + " " + moment(i) + ", attendu " + h(attendu);
                    if (masque != (seize ? 0xFFFF : 0xFF)) t += " (bits " + h(masque) + ")";
                    noter(i, false, t);
                };
                if constexpr (std::is_same_v<T, ValeurMemoire>) {
                    const uint16_t adr = *resoudre(q.adresse);
                    const uint16_t vu = q.mot
                                            ? uint16_t(carte_.peek(adr) << 8 | carte_.peek(uint16_t(adr + 1)))
                                            : carte_.peek(adr);
                    comparer(nomAdresse(q.adresse), vu, q.valeur, q.masque, q.mot);
                } else if constexpr (std::is_same_v<T, ValeurPort>) {
                    comparer(std::string("PORT") + q.port, niveaux(q.port), q.valeur, q.masque, false);
                } else if constexpr (std::is_same_v<T, ValeurBroche>) {
                    const bool haut = niveaux(q.port) >> q.bit & 1;
                    if (haut == q.haut) return noter(i, true, {});
                    noter(i, false,
                          std::string("P") + q.port + char('0' + q.bit) + " vaut " + (haut ? "1" : "0") +
                              " " + moment(i) + ", attendu " + (q.haut ? "1" : "0"));
                } else if constexpr (std::is_same_v<T, ValeurRegistre>) {
                    const hc11::Registers& r = cpu.r;
                    const uint16_t vu = q.nom == "A"    ? r.a
                                        : q.nom == "B"  ? r.b
                                        : q.nom == "D"  ? r.d()
                                        : q.nom == "X"  ? r.x
                                        : q.nom == "Y"  ? r.y
                                        : q.nom == "SP" ? r.sp
                                        : q.nom == "PC" ? r.pc
                                                        : r.ccr;
                    comparer(q.nom, vu, q.valeur, q.masque,
                             !(q.nom == "A" || q.nom == "B" || q.nom == "CCR"));
                } else if constexpr (std::is_same_v<T, TexteSci>) {
                    const bool ok = q.contient ? sci_.find(q.texte) != std::string::npos : sci_ == q.texte;
                    if (ok) return noter(i, true, {});
                    noter(i, false,
                          "le SCI a envoyé " + montrer(sci_) + " " + moment(i) + ", attendu " +
                              (q.contient ? "un texte contenant " : "") + montrer(q.texte));
                } else if constexpr (std::is_same_v<T, TexteAfficheur>) {
                    std::string vu, attendu;
                    bool ok = true;
                    for (std::size_t l = 0; l < q.lignes.size(); ++l) {
                        const std::string ligne = sansBlancsFinaux(carte_.lcd().shownRow(int(l)));
                        ok &= ligne == sansBlancsFinaux(q.lignes[l]);
                        vu += (l ? " / " : "") + montrer(ligne);
                        attendu += (l ? " / " : "") + montrer(sansBlancsFinaux(q.lignes[l]));
                    }
                    if (ok) return noter(i, true, {});
                    noter(i, false, "l'afficheur montre " + vu + " " + moment(i) + ", attendu " + attendu);
                } else if constexpr (std::is_same_v<T, AdresseAtteinte>) {
                    if (fin)
                        noter(i, false,
                              nomAdresse(q.adresse) + " n'est pas atteinte dans les " + milliers(q.avant) +
                                  " premiers cycles");
                } else if constexpr (std::is_same_v<T, EcrituresPermises>) {
                    if (fin) noter(i, true, {});
                } else {
                    if (!fin) return;
                    if (const std::optional<uint64_t>& c = carte_.firstCopReset())
                        noter(i, false,
                              "le COP a remis la puce à zéro au cycle " + milliers(*c - debut_) +
                                  " : le programme ne l'a pas servi à temps ($55 puis $AA dans COPRST)");
                    else
                        noter(i, true, {});
                }
            },
            a.quoi);
    }

    static std::string sansBlancsFinaux(std::string s) {
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    }

    uint8_t niveaux(char port) { return port == 'A' ? carte_.portAPins() : carte_.portPins(portSim(port)); }

    void conclure() {
        hc11::Cpu& cpu = carte_.cpu();
        r_.cycles = finCas();
        r_.secondes = double(r_.cycles) / carte_.eClockHz();
        if (tracer_ && r_.finAnormale && r_.trace.empty()) r_.trace = trace_.lignes(debut_);
        for (std::size_t i = 0; i < cas_.attentes.size(); ++i) {
            if (faits_[i]) continue;
            // Whether the COP reset the chip is known, however the case ended.
            if (r_.finAnormale && !std::holds_alternative<CopServi>(cas_.attentes[i].quoi))
                noter(i, false, "pas vérifié : " + r_.fin);
            else
                evaluer(i, true);
        }
        if (!r_.finAnormale) {
            if (cpu.state() == hc11::Cpu::State::Stopped && !arret_.empty())
                r_.fin =
                    "arrêté par " + arret_ + ((cpu.r.ccr & hc11::ccr::I) ? ", interruptions masquées" : "");
            else if (cpu.state() == hc11::Cpu::State::Waiting && !arret_.empty())
                r_.fin = "en attente par " + arret_ +
                         ((cpu.r.ccr & hc11::ccr::I) ? ", interruptions masquées" : "");
            else
                r_.fin = "limite de " + milliers(cas_.limite) +
                         " cycles atteinte, le programme tournait en " + hex4(cpu.r.pc) +
                         (carte_.branchesToItself(cpu.r.pc) ? " (boucle sur elle-même)" : "");
        }
        for (const ResultatAttente& a : r_.attentes)
            r_.points += a.points;
        r_.reussi = !r_.finAnormale && std::all_of(r_.attentes.begin(), r_.attentes.end(),
                                                   [](const ResultatAttente& a) { return a.reussi; });
        if (tracer_ && r_.trace.empty()) r_.trace = trace_.lignes(debut_);
        cpu.setTrace(nullptr);
    }

    bool tracer_;
    bool afficheur_;
    const CasLab& cas_;
    const ProgrammeLab& programme_;
    hc11::Board carte_;
    TraceLab trace_;
    ResultatCas r_;
    uint64_t debut_ = 0;
    std::vector<bool> faits_;
    std::vector<bool> stimuliFaits_;                      // the timed stimuli given
    std::vector<std::pair<uint64_t, bool>> relachements_; // (cycle, XIRQ) of a press's end
    std::string sci_;
    std::string arret_;                    // the last STOP or WAI
    std::vector<std::bitset<65536>> hors_; // where each writes expectation forbids writing
};

} // namespace

std::string milliers(uint64_t n) {
    std::string s = std::to_string(n);
    for (int i = int(s.size()) - 3; i > 0; i -= 3)
        s.insert(std::size_t(i), " ");
    return s;
}

std::string ResultatCas::premierEchec() const {
    for (const ResultatAttente& a : attentes)
        if (!a.reussi) return a.texte;
    return finAnormale ? fin : std::string();
}

ResultatCas executerCas(const VerificationLab& verification, const CasLab& cas, const ProgrammeLab& programme,
                        bool tracer) {
    return Execution(verification, cas, programme, tracer).executer();
}

} // namespace tessaline::lab
