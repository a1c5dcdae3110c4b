// The shared random generator instance.

#include "data/random.h"

namespace varnholt {

RandomGenerator& sharedRandom() {
  static RandomGenerator generator;
  return generator;
}

}  // namespace varnholt
