// The Talker's exchanges on the line, one typed function each. Every exchange
// is framed the same way:
//   1. the host sends the command byte and the Talker echoes it;
//   2. the host sends the parameter bytes (count, address high, address low, or
//      the frame address);
//   3. for every byte the Talker reads out, the host answers with one handshake
//      byte, the byte it has just received;
//   4. for every byte the host writes, the Talker sends back what the location
//      reads after writing, and a closing byte ends the write.
// Each function takes the configured time-out (tenths of a second); every
// wait of the exchange is a wait for the Talker's answer, bounded by
// delaiReponse() of it (at most 2 s, transfer.h). Once the command byte has
// gone out the Talker is in the middle of that command, so the exchange is
// run to its end: a stop asked meanwhile (abort, cancel, interruption) only
// shortens each wait that is left (Attente::DansEchange, transfer.h). A line
// that breaks ends the exchange at once. A stop asked before (cancel or
// interruption) sends nothing at all, unless planted bytes are being taken
// back (RetraitEnCours, transfer.h). None of them empties the input first: the caller does so where
// stray bytes may be waiting (ViderCom). None of them shows anything: the
// caller reports failures as its own operation names them.
#pragma once

#include "link/session.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>

namespace tessaline {

// The 68HC11 addresses 64 KB, $0000-$FFFF.
inline constexpr int EspaceAdresses = 0x10000;

// Command codes of the Talker.
namespace commande {
inline constexpr int LireRegistres = 1;
inline constexpr int EcrireRegistres = 2;
inline constexpr int TrameBreak = 3;
inline constexpr int Stop = 4;
inline constexpr int EcrireMemoire = 5;
inline constexpr int LireMemoire = 6;
} // namespace commande

// The byte the Talker sends when the user's program stops (SWI, illegal
// opcode, stop command).
inline constexpr int OctetArret = 0x03;

// Most bytes one read or write exchange moves: the count byte's 0 stands for 256.
inline constexpr int MaxOctetsEchange = 256;

// How an exchange ended.
enum class Issue {
    Ok,
    PasDEcho,   // the command byte did not come back in time, or a break came: nothing more sent
    TimeOut,    // the echo came, then a byte of the exchange did not
    Annule,     // cancel or interruption came after the echo, and then a byte did not come in time
    Abandon,    // the same for the abort flag
    Erreur,     // the port failed (already reported) or the request is outside what the Talker takes
    Interrompu, // cancel or interruption was already asked: nothing was sent
    Incoherent, // something answered, not as the exchange expects (a wrong echo, a frame
                // address where no frame can be): nothing more was sent
    Coupee,     // the line broke (SerialLine::coupee), already said: nothing more can go
};

// True when the exchange ended before its command byte had been taken, so the
// Talker (if any) is where it was: nothing sent, no echo, a wrong echo.
inline bool sansEchange(Issue issue) {
    return issue == Issue::PasDEcho || issue == Issue::Incoherent || issue == Issue::Interrompu;
}

// What an exchange brought back. On a failure `donnees` holds what did come.
template <typename T>
struct Resultat {
    Issue issue = Issue::Ok;
    T donnees{};
    bool ok() const { return issue == Issue::Ok; }
};

// The register frame as the Talker reports it: the address of the 9-byte
// interrupt frame on the stack (CCR, B, A, XH, XL, YH, YL, PCH, PCL upward from
// the lowest address; MC68HC11A8 Technical Data, Fig. 9-3) and the registers
// it holds.
struct TrameRegistres {
    int adresse = 0; // where the frame starts
    int ccr = 0;
    int b = 0;
    int a = 0;
    int x = 0;
    int y = 0;
    int pc = 0;
    // The program's stack pointer: the frame lies just above it, and the
    // interrupt's return pops the 9 bytes, so SP is the frame address plus 8.
    int sp() const { return (adresse + 8) & 0xFFFF; }
    bool operator==(const TrameRegistres&) const = default;
};

// The 11 bytes of a frame read (frame address high and low, then CCR B A XH XL
// YH YL PCH PCL), decoded.
inline constexpr int OctetsTrameLue = 11;
TrameRegistres decoderTrame(const std::array<std::uint8_t, OctetsTrameLue>& octets);
// The 9 frame bytes in stack order, as command 2 writes them.
std::array<std::uint8_t, 9> encoderTrame(const TrameRegistres& trame);

// Command 6: `count` bytes (1 to 256) from `adresse`; `recu`, when given, is
// called with each byte as it arrives.
// Over a planted breakpoint the data show the user's own byte, not the SWI
// (link/planted_bytes.h); lireMemoireBrute shows what the target holds.
Resultat<QByteArray> lireMemoire(Session& session, int adresse, int count, int timeout,
                                 const std::function<void(std::uint8_t)>& recu = {});
Resultat<QByteArray> lireMemoireBrute(Session& session, int adresse, int count, int timeout,
                                      const std::function<void(std::uint8_t)>& recu = {});

// Command 5: the bytes of `octets` (1 to 256) from `adresse`; the data are the
// read-back of each byte. A byte that reads back wrong does not end the
// exchange: the Talker counts the bytes it was promised, so all of them and the
// closing byte go out and the Talker returns to its idle loop either way.
// Nothing is sent, and the issue is Erreur, when the bytes would run past $FFFF.
// A planted breakpoint in the range keeps its SWI: its user's byte becomes the
// one written, and the read-back shows it.
Resultat<QByteArray> ecrireMemoire(Session& session, int adresse, const QByteArray& octets, int timeout);

// Where a register frame can lie on a board with this memory map: in the
// Talker's own stack area ($00CC-$00E8, the 9 bytes ending by its initial
// stack pointer), or in the chip's RAM above the Talker's 256 bytes. On a chip
// whose RAM is $0000-$00FF only, the stack area is the one place.
bool adresseTrameAdmissible(int adresse, const CarteMemoire& carte);

// Command 1: the register frame of the Talker (or of the running program it
// interrupted). When `admissible` is given, the frame address is put to it as
// soon as its two bytes have come, before the handshake after the low byte:
// a Talker that reports a frame where none can be is confused (still in some
// earlier command), and every byte sent to it may be written somewhere, so
// the exchange ends there, Incoherent, with nothing more sent.
Resultat<TrameRegistres> lireTrame(Session& session, int timeout,
                                   const std::function<bool(int)>& admissible = {});

// Command 2: writes `trame` at its address and resumes there; the Talker's
// return from interrupt then pops it. The data are the read-back of the 9 bytes.
Resultat<QByteArray> ecrireTrameEtReprendre(Session& session, const TrameRegistres& trame, int timeout);

// What command 3 reports: where the stopped program was, and the frame whose PC
// the Talker has turned to its idle loop.
struct TrameBreak {
    int pcArret = 0;
    TrameRegistres trame;
};
// Command 3, after the $03 of a stopped program, with its parameter byte (which
// the Talker reads and ignores). `recu`, when given, is called with the bytes
// so far each time one arrives, so that each register can be shown as soon as
// its bytes are in.
Resultat<TrameBreak> lireTrameBreak(Session& session, int timeout, int parametre = 0,
                                    const std::function<void(const QByteArray&)>& recu = {});

// A code the Talker echoes and then ignores (codes 0 and 7-255): the shortest
// proof that an idle Talker listens. 0 is not used: a chip leaving reset sends
// a break, read as $00.
inline constexpr int CodeSonde = 7;
// Sends CodeSonde and waits for its echo: Ok when it came back, and nothing
// else is sent either way. With `arretAvant`, the probe of a running program:
// the $03 of a program that stopped by itself just as the probe went out may
// come before the echo; it is taken, and `*arretAvant` says whether it came
// (the Talker then idles on the program's frame, the probe ignored).
Resultat<bool> sonder(Session& session, int timeout, bool* arretAvant = nullptr);

// What the stop command found.
struct ArretObtenu {
    bool octetArret = false; // the Talker's $03 came after the echo
    // The program had stopped by itself (its SWI, an illegal opcode) just as
    // the command went out: its own $03 came before the echo.
    bool deLuiMeme = false;
};
// Command 4: stops the running program; the Talker then waits for the break
// frame read (command 3) on the program's frame, whichever way it stopped.
Resultat<ArretObtenu> arreter(Session& session, int timeout);

// The exchanges with a routine of ours in RAM while it owns the SCI
// (operations/ram_routine.h): the bytes it sends go one after another with
// no handshake, so that an adapter may hand several over at once; those that
// came with the one taken wait in `suite`, which the caller keeps for the
// routine's whole run and passes to each of these.

// A run of `n` bytes the routine (or the loader that brings it) sends; the
// bytes that came, and TimeOut (or how the wait ended) when one is missing.
Resultat<QByteArray> lireFlux(Session& session, QByteArray& suite, int n, int timeout,
                              const std::function<void(int lus)>& apres = {});
// Bytes for the routine, sent as they are.
void envoyerFlux(Session& session, const QByteArray& octets);

// The records of the EEPROM programming routine
// (operations/eeprom_fast_programming.h): the count (1 to
// OctetsRoutineMax), the address high and low, the bytes, and a checksum byte
// that brings the sum of all of them to zero. The routine answers AccuseBon
// and then, as each byte is done, what the cell reads; or AccuseFaux when the
// sum is wrong (a byte damaged on the line), having programmed nothing. It
// takes the next record while it programs one: the host sends it as soon as
// the previous one is acknowledged. Planted breakpoints are kept as
// ecrireMemoire keeps them.
inline constexpr int OctetsRoutineMax = 16;
inline constexpr int AccuseBon = 0x06;
inline constexpr int AccuseFaux = 0x15;
// False, nothing sent, when the count is out of range or sending is blocked.
bool envoyerEnregistrement(Session& session, int adresse, const QByteArray& octets);
// Ok on AccuseBon, Incoherent on AccuseFaux or any other byte.
Issue lireAccuse(Session& session, QByteArray& suite, int timeout);
// What the cells read after the record `octets` at `adresse` was programmed;
// `apres`, when given, is called with the count read after each byte (as is
// lireFlux's).
Resultat<QByteArray> lireRelectures(Session& session, QByteArray& suite, int adresse,
                                    const QByteArray& octets, int timeout,
                                    const std::function<void(int lus)>& apres = {});
// The count 0: the routine has no more records.
void finirRoutine(Session& session);

} // namespace tessaline
