#include "ovlib/ovexception.h"

#include "ovlib/overror.h"

namespace ovlib {

OvException::OvException(int32_t code)
    : CodedException(code, errorName(code))
{
}

} // namespace ovlib
