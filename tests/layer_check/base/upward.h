// A foundation header that reaches up: the layer check must refuse it.
#include "streams/stream.h"
