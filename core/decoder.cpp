#include "core/decoder.h"

namespace trelvo::core {

template class BasicDecoder<MeasurementSink>;

}  // namespace trelvo::core
