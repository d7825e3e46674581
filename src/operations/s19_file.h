// The S-record file a program is loaded from, read as the EEPROM download takes
// it: one record per text line, an upper-case "S" and the type digit, the count
// of address, data and checksum bytes, a 16-bit address, the data, and a
// checksum. A wrong checksum does not keep a record from being programmed; it
// is noted so that the download can name the record. Only S1 records (data
// with a 16-bit address) carry anything to program; every other line is skipped.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tessaline {

// Larger than any S-record image of a 64 KB address space (about 900 KB with
// one data byte per record): a larger file is no program for a 68HC11.
inline constexpr qint64 TailleMaxS19 = qint64(1) << 20;

// One S1 record: its line (from 1), its address and its data bytes; its
// checksum as written and as its bytes give it (the ones' complement of the
// low byte of the sum of the count, address and data bytes).
struct EnregistrementS1 {
    int ligne = 0;
    int adresse = 0;
    QByteArray donnees;
    int sommeLue = 0;
    int sommeCalculee = 0;
    bool sommeFausse() const { return sommeLue != sommeCalculee; }
};

struct FichierS19Lu {
    bool lu = false;
    QString erreur; // when not read: one line naming the file and the fault
    QVector<EnregistrementS1> enregistrements;
    // The data bytes of all the S1 records: 100 % of the download.
    int octets() const;
};

// Parses S-record text. An S1 line whose count field disagrees with its digits,
// or that holds anything but hexadecimal digits, makes the whole text
// unreadable: its count byte would not match the bytes that follow it on the
// wire.
FichierS19Lu analyserS19(const QByteArray& texte);

// Reads and parses the file at `chemin`: a regular file of at most TailleMaxS19
// bytes.
FichierS19Lu lireFichierS19(const QString& chemin);

} // namespace tessaline
