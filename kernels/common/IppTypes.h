// Types taken and returned by the vector-math operations of the five dispatcher units,
// and the status every operation returns.
//
// Every enumeration is one byte wide, so a value outside the named ones still passes
// through unchanged (the operations give such values a defined meaning, e.g. a rounding
// mode other than ippRndNear truncates).
#pragma once

#include <bit>
#include <cstdint>

// Result of every operation: 0 success, negative an error after which nothing was
// written (unless the operation says otherwise), positive a warning after which every
// element was written. All values fit a signed byte, so a caller that keeps only the low
// byte still reads -10 as -10.
using IppOpStatus = int;

inline constexpr IppOpStatus ippStsNoErr = 0;
inline constexpr IppOpStatus ippStsSqrtNegArg = 3;          // square root of a negative number
inline constexpr IppOpStatus ippStsDivByZero = 6;           // division by zero in an element
inline constexpr IppOpStatus ippStsLnZeroArg = 7;           // logarithm of zero
inline constexpr IppOpStatus ippStsLnNegArg = 8;            // logarithm of a negative number
inline constexpr IppOpStatus ippStsSizeErr = -6;            // a length or size below its minimum
inline constexpr IppOpStatus ippStsNullPtrErr = -8;         // a required pointer is null
inline constexpr IppOpStatus ippStsMemAllocErr = -9;        // memory could not be allocated
inline constexpr IppOpStatus ippStsDivByZeroErr = -10;      // zero constant, divisor or A0
inline constexpr IppOpStatus ippStsStepErr = -14;           // a row step below 1
inline constexpr IppOpStatus ippStsFftOrderErr = -15;       // transform order outside 0 ... 30
inline constexpr IppOpStatus ippStsFftFlagErr = -16;        // transform flag not allowed
inline constexpr IppOpStatus ippStsContextMatchErr = -17;   // state with the wrong identifier
inline constexpr IppOpStatus ippStsThreshErr = -18;         // threshold levels out of order
inline constexpr IppOpStatus ippStsThreshNegLevelErr = -19; // negative complex threshold level
inline constexpr IppOpStatus ippStsMirrorFlipErr = -21;     // mirror axis outside IppiAxis
inline constexpr IppOpStatus ippStsIIROrderErr = -25;       // IIR order below 0
inline constexpr IppOpStatus ippStsFIRLenErr = -26;         // FIR tap count below 1
inline constexpr IppOpStatus ippStsShiftErr = -32;          // negative shift count
inline constexpr IppOpStatus ippStsJaehneErr = -38;         // negative Jaehne magnitude
inline constexpr IppOpStatus ippStsHugeWinErr = -39;        // Kaiser window parameter too large
// Generator parameters: the triangle wave's phase, asymmetry, frequency and magnitude,
// then the tone's phase, frequency and magnitude.
inline constexpr IppOpStatus ippStsTrnglPhaseErr = -40;
inline constexpr IppOpStatus ippStsTrnglAsymErr = -41;
inline constexpr IppOpStatus ippStsTrnglFreqErr = -42;
inline constexpr IppOpStatus ippStsTrnglMagnErr = -43;
inline constexpr IppOpStatus ippStsTonePhaseErr = -44;
inline constexpr IppOpStatus ippStsToneFreqErr = -45;
inline constexpr IppOpStatus ippStsToneMagnErr = -46;

// Complex double: re, then im.
struct Ipp64fc {
  double re;
  double im;
};

// Size of a two-dimensional region: elements per row, rows.
struct tagSIZE {
  int width;
  int height;
};

// Anything other than ippRndNear rounds toward zero.
enum IppRoundMode : std::uint8_t { ippRndZero = 0, ippRndNear = 1 };

// The thresholds test only for ippCmpGreater (upper clamp); any other value clamps below.
enum IppCmpOp : std::uint8_t {
  ippCmpLess = 0,
  ippCmpLessEq = 1,
  ippCmpEq = 2,
  ippCmpGreaterEq = 3,
  ippCmpGreater = 4
};

// Operations take the hint as a 32-bit int and test only for ippAlgHintAccurate.
enum IppHintAlgorithm : std::uint8_t {
  ippAlgHintNone = 0,
  ippAlgHintFast = 1,
  ippAlgHintAccurate = 2
};

// The processor code that selects each operation's variant; 0 means unknown.
using IppCpuType = std::uint8_t;

enum IppWinType : std::uint8_t {
  ippWinBartlett = 0,
  ippWinBlackman = 1,
  ippWinHamming = 2,
  ippWinHann = 3,
  ippWinRect = 4
};

enum IppiAxis : std::uint8_t { ippAxsHorizontal = 0, ippAxsVertical = 1, ippAxsBoth = 2 };

// Declared for completeness of the type set; no operation takes them.
enum IppDataType : std::uint8_t {
  eipp1u,
  eIpp8u,
  eipp8s,
  eipp16u,
  eipp16s,
  eipp16sc,
  eipp32u,
  eIpp32s,
  eIpp32sc,
  eIpp32f,
  eIpp32fc,
  eipp64u,
  eipp64s,
  eipp64sc,
  eIpp64f,
  eIpp64fc
};
enum IppiDitherType : std::uint8_t {
  ippDitherNone,
  ippDitherFS,
  ippDitherJJN,
  ippDitherStucki,
  ippDitherBayer
};
enum IppiWTFilterFirst : std::uint8_t { ippWTFilterFirstLow, ippWTFilterFirstHigh };
enum IppiAlphaType : std::uint8_t {
  ippAlphaOver,
  ippAlphaIn,
  ippAlphaOut,
  ippAlphaATop,
  ippAlphaXor,
  ippAlphaPlus,
  ippAlphaOverPremul,
  ippAlphaInPremul,
  ippAlphaOutPremul,
  ippAlphaATopPremul,
  ippAlphaXorPremul,
  ippAlphaPlusPremul
};
enum IppMacroblockType : std::uint8_t {
  IPP_VIDEO_INTER,
  IPP_VIDEO_INTER_Q,
  IPP_VIDEO_INTER4V,
  IPP_VIDEO_INTRA,
  IPP_VIDEO_INTRA_Q,
  IPP_VIDEO_INTER4V_Q,
  IPP_VIDEO_DIRECT,
  IPP_VIDEO_INTERPOLATE,
  IPP_VIDEO_BACKWARD,
  IPP_VIDEO_FORWARD
};
enum IppVideoComponent : std::uint8_t {
  IPP_VIDEO_LUMINANCE,
  IPP_VIDEO_CHROMINANCE,
  IPP_VIDEO_ALPHA
};

// Opaque filter and transform states; each is defined where its operations are.
struct IIRState_32f;
struct FIRState_64f;
struct FFTSpec_R_64f;

// The value operations store for an undefined result: a negative quiet NaN.
inline constexpr std::uint64_t ippDefaultNaNBits = 0xFFF8000000000000ull;
inline constexpr double ippDefaultNaN = std::bit_cast<double>(ippDefaultNaNBits);
