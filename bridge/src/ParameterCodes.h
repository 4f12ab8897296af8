#pragma once
// The translation between the program's parameter ordinals and the SDK's
// codes, for the parameters TS_PARAM_....

#include <cstdint>

namespace tesselink {

// The number of ordinals of a parameter's enumeration, 0 included.
int ordinalCount(int parameter);

// The first byte of a parameter in the availability record.
int availabilityBase(int parameter);

// The code written for an ordinal; the parameter's fallback code for an
// ordinal without one, 0 included.
uint32_t writtenCode(int parameter, int32_t ordinal);

// The ordinal a code reads as, from as many bits as the parameter's code
// has; 0 for a code without one.
uint8_t readOrdinal(int parameter, uint32_t code);

} // namespace tesselink
