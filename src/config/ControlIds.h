#pragma once

#include <QtGlobal>

// Numbers of the form controls that show document fields; text configuration
// files name the fields by them.
namespace ControlId {
constexpr quint32 ConversionCmdFile = 1002;
constexpr quint32 Subfamily = 1007;
constexpr quint32 FlashBaseAddress = 1016;
constexpr quint32 FlashSize = 1017;
constexpr quint32 FlashImageOffset = 1018;
constexpr quint32 FileToBurn = 1019;
constexpr quint32 CvtcProgramFile = 1023;
constexpr quint32 VerifyWrite = 1039;
constexpr quint32 WriteBootAddr = 1041;
constexpr quint32 Connection = 1064;
constexpr quint32 OverrideFlash = 1081;
} // namespace ControlId
