// Entries the program resolves but never calls: present, and answering "not supported".
#include "sdk/KRY.h"

extern "C" {

KRY_API int32_t KRY_Enum(int32_t*) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_OpenEx(int32_t*, int32_t, const char*, int32_t) {
  return KRY_ERR_NOT_SUPPORTED;
}
KRY_API int32_t KRY_SetEventCallback(int32_t, void*, void*) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_OpenRaw(int32_t*) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_SendRaw(int32_t, const uint8_t*, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_RecvRaw(int32_t, uint8_t*, int32_t*, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_SendFrame(int32_t, const uint8_t*, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_RecvFrame(int32_t, uint8_t*, int32_t*, int32_t) {
  return KRY_ERR_NOT_SUPPORTED;
}
KRY_API int32_t KRY_PRO_Send(int32_t, const uint8_t*, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_Recv(int32_t, uint8_t*, int32_t*, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_Open(int32_t, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_Close(int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_Start(int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_Stop(int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_SetComParam(int32_t, int32_t, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_GetComParam(int32_t, int32_t, int32_t*) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_SetFilter(int32_t, const uint8_t*, int32_t) {
  return KRY_ERR_NOT_SUPPORTED;
}
KRY_API int32_t KRY_PRO_AddFilter(int32_t, const uint8_t*, int32_t) {
  return KRY_ERR_NOT_SUPPORTED;
}
KRY_API int32_t KRY_PRO_SetTimer(int32_t, int32_t, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_PRO_AddTimer(int32_t, const uint8_t*, int32_t, int32_t) {
  return KRY_ERR_NOT_SUPPORTED;
}
KRY_API int32_t KRY_PRO_Clear(int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_DEV_ResetEx(int32_t, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_DEV_SetPinVol(int32_t, int32_t, int32_t) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_DEV_GetTest(int32_t, uint8_t*) { return KRY_ERR_NOT_SUPPORTED; }
KRY_API int32_t KRY_DEV_Config(int32_t, int32_t, int32_t) { return KRY_ERR_NOT_SUPPORTED; }

// Entries exported by ordinal only. 39 is the firmware write.
#define KRY_UNSUPPORTED_ORDINAL(n) \
  KRY_API int32_t KRY_Ordinal_##n(void) { return KRY_ERR_NOT_SUPPORTED; }
KRY_UNSUPPORTED_ORDINAL(20)
KRY_UNSUPPORTED_ORDINAL(21)
KRY_UNSUPPORTED_ORDINAL(22)
KRY_UNSUPPORTED_ORDINAL(23)
KRY_UNSUPPORTED_ORDINAL(33)
KRY_UNSUPPORTED_ORDINAL(34)
KRY_UNSUPPORTED_ORDINAL(35)
KRY_UNSUPPORTED_ORDINAL(36)
KRY_UNSUPPORTED_ORDINAL(37)
KRY_UNSUPPORTED_ORDINAL(38)
KRY_UNSUPPORTED_ORDINAL(47)
KRY_UNSUPPORTED_ORDINAL(48)
KRY_UNSUPPORTED_ORDINAL(49)
KRY_UNSUPPORTED_ORDINAL(50)
KRY_UNSUPPORTED_ORDINAL(51)

KRY_API int32_t KRY_Ordinal_39(int32_t handle, const char* imagePath, int32_t flags,
                               int32_t* progress) {
  return KRY_DEV_UpdateFirmware(handle, imagePath, flags, progress);
}

}  // extern "C"
