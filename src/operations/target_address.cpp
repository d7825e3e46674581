#include "operations/target_address.h"

#include "link/conversions.h"

namespace tessaline {

OctetsAdresse octetsAdresse(const QString& adresse) {
    return {HexaDec(adresse.left(2)) & 0xFF, HexaDec(adresse.mid(2, 2)) & 0xFF};
}

} // namespace tessaline
