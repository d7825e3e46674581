#include "sim_board_tools.h"

namespace tessaline {

SimBoardTools::SimBoardTools(std::function<hc11::Board&()> carte, std::function<void()> avant,
                             std::function<void()> apres)
    : carte_(std::move(carte))
    , avant_(std::move(avant))
    , apres_(std::move(apres)) {}

hc11::Board& SimBoardTools::carte() {
    if (avant_) avant_();
    return carte_();
}

uint64_t SimBoardTools::cyclesProgramme() {
    return carte().programCycles();
}

double SimBoardTools::horlogeE() {
    return carte().eClockHz();
}

std::size_t SimBoardTools::pasArriereDisponibles() {
    return carte().historyInstructions();
}

BoardTools::Recul SimBoardTools::reculer(std::size_t nombre) {
    const hc11::Board::StepBack r = carte().stepBack(nombre);
    if (r.steps != 0 && apres_) apres_();
    return {r.steps, QString::fromStdString(r.unrestorable)};
}

namespace {
hc11::Registers versCpu(const BoardTools::Registres& r) {
    hc11::Registers c;
    c.a = r.a;
    c.b = r.b;
    c.ccr = r.ccr;
    c.x = r.x;
    c.y = r.y;
    c.sp = r.sp;
    c.pc = r.pc;
    return c;
}
} // namespace

void SimBoardTools::corrigerDernierPas(const Registres& avant) {
    carte().amendLastInstruction(versCpu(avant));
}

void SimBoardTools::noterPasDeLHote(const Registres& avant) {
    carte().recordDebuggerStep(versCpu(avant));
}

void SimBoardTools::poserObservations(const QVector<Observation>& observations) {
    std::vector<hc11::Board::Watchpoint> points;
    for (const Observation& o : observations)
        points.push_back({o.debut, o.fin, o.lecture, o.ecriture});
    carte().setWatchpoints(std::move(points));
}

QVector<BoardTools::Observation> SimBoardTools::observations() {
    QVector<Observation> points;
    for (const hc11::Board::Watchpoint& w : carte().watchpoints())
        points.push_back({w.first, w.last, w.read, w.write});
    return points;
}

std::optional<BoardTools::Declenchement> SimBoardTools::prendreDeclenchement() {
    hc11::Board& b = carte();
    if (!b.watchHit()) return std::nullopt;
    const hc11::Board::WatchHit h = *b.watchHit();
    b.clearWatchHit();
    return Declenchement{h.instruction, h.address, h.write, h.value};
}

} // namespace tessaline
