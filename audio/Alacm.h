// The compression manager's declarations as the audio components use them:
// the codec layer of platform/acm plus the driver-type code of audio codecs.
#pragma once

#include <cstdint>

#include "platform/acm/Acm.h"

// The four-character code "audc" (first character in the low byte), the type
// of audio codec drivers. Nothing in the system asks for it.
inline constexpr uint32_t ACMDRIVERDETAILS_FCCTYPE_AUDIOCODE =
    uint32_t('a') | uint32_t('u') << 8 | uint32_t('d') << 16 | uint32_t('c') << 24;
