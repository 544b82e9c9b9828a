// The record of the abstract CXX::Buffer.
#include "CXXRuntime/CXXBase"

namespace CXX {

// The blank after "CXX::" is part of the text that operators know from this message.
CXX_DEFINE_ABSTRACT_CLASS(Buffer, "CXX", "Buffer", Object, "CXX:: Buffer")

}  // namespace CXX
