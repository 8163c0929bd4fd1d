// The enumerators a filter and its pin hand out: a snapshot walked by an index.
#pragma once
#include <dshow.h>

#include <vector>

#include "platform/com_ptr.h"
#include "capture_devices/core/media_type.h"

namespace capture {

using platform::ComPtr;

// Enumerates the one pin of a filter.
HRESULT NewPinEnumerator(IPin* pin, IEnumPins** out);
// Enumerates copies of `types`.
HRESULT NewMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out);

}  // namespace capture
