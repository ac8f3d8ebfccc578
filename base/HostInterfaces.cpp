#include "base/HostInterfaces.h"

#include <cstring>

double ReadFundsDouble(const FundsRecord* record, std::size_t offset) {
    double value = 0.0;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(record) + offset, sizeof(value));
    return value;
}
