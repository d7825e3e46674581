#include "operations/target_address.h"

#include "link/conversions.h"

namespace tessaline {

int adresseCible(const QString& adresse) {
    return (HexaDec(adresse.left(2)) & 0xFF) << 8 | (HexaDec(adresse.mid(2, 2)) & 0xFF);
}

} // namespace tessaline
