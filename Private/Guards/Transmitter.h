#pragma once
// Whether a player stands near a transmitter: actors around a position whose object name (first
// search) or blueprint path (second search, item containers only) holds one of the configured
// "validTransmitter" patterns, ignoring case.
#include "Host/ArkApi.h"

namespace Lockbury {

bool IsNearTransmitter(FVector location);

}  // namespace Lockbury
