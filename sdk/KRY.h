/* The device SDK's C interface (libKRY.so): the entries, their result codes and the blocks
 * they fill. Every entry returns a 32-bit result, 0 meaning success; the handle is a
 * 32-bit integer. Entries known only by ordinal are exported as KRY_Ordinal_N. */
#ifndef KRY_SDK_H
#define KRY_SDK_H

/* A C header for C and C++ callers alike: its typedefs stay, whatever a C++ modernizer
 * suggests. NOLINTBEGIN(modernize-use-using) */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KRY_BUILDING_SDK)
#define KRY_API __attribute__((visibility("default")))
#else
#define KRY_API
#endif

/* Result codes. */
enum {
  KRY_OK = 0,
  KRY_ERR_NOT_CONNECTED = 1, /* the adapter cannot be reached */
  KRY_ERR_BAD_HANDLE = 2,    /* no open adapter under this handle */
  KRY_ERR_BAD_ARGUMENT = 3,  /* a null pointer or a value out of range */
  KRY_ERR_COMM = 4,          /* the link broke or the adapter answered nonsense */
  KRY_ERR_NO_FILE = 5,       /* the firmware image cannot be read */
  KRY_ERR_FIRMWARE = 6,      /* the adapter refused the image or failed to write it */
  KRY_ERR_TOO_MANY = 7,      /* every handle is taken */
  KRY_ERR_NOT_SUPPORTED = 0x7E,
  KRY_ERR_IN_USE = 127 /* another program holds the adapter */
};

#define KRY_INFO_SIZE 64
#define KRY_EXINFO_SIZE 128
#define KRY_ADDRESS_SIZE 64
#define KRY_FIRMWARE_PROGRESS_FULL 120

/* What KRY_GetCommIf reports: the connection the SDK uses. `type` takes the connection
 * codes of KRY.ini (0 FTDI USB ... 8 Farlink remote, 255 automatic). */
typedef struct KRY_COMM_IF {
  int32_t type;
  int32_t port;
  int32_t datarate;
  char address[KRY_ADDRESS_SIZE]; /* from byte 12: NUL-terminated text */
} KRY_COMM_IF;

KRY_API int32_t KRY_Enum(int32_t* count);
KRY_API int32_t KRY_Open(int32_t* handle);
KRY_API int32_t KRY_OpenEx(int32_t* handle, int32_t type, const char* address, int32_t port);
KRY_API int32_t KRY_Close(int32_t handle);
KRY_API int32_t KRY_GetCommIf(int32_t handle, KRY_COMM_IF* commIf);
KRY_API int32_t KRY_SetEventCallback(int32_t handle, void* callback, void* context);
KRY_API int32_t KRY_OpenRaw(int32_t* handle);
KRY_API int32_t KRY_SendRaw(int32_t handle, const uint8_t* data, int32_t length);
KRY_API int32_t KRY_RecvRaw(int32_t handle, uint8_t* data, int32_t* length, int32_t timeoutMs);
KRY_API int32_t KRY_SendFrame(int32_t handle, const uint8_t* data, int32_t length);
KRY_API int32_t KRY_RecvFrame(int32_t handle, uint8_t* data, int32_t* length, int32_t timeoutMs);
KRY_API int32_t KRY_PRO_Send(int32_t handle, const uint8_t* data, int32_t length);
KRY_API int32_t KRY_PRO_Recv(int32_t handle, uint8_t* data, int32_t* length, int32_t timeoutMs);
KRY_API int32_t KRY_PRO_Open(int32_t handle, int32_t protocol);
KRY_API int32_t KRY_PRO_Close(int32_t handle);
KRY_API int32_t KRY_PRO_Start(int32_t handle);
KRY_API int32_t KRY_PRO_Stop(int32_t handle);
KRY_API int32_t KRY_PRO_SetComParam(int32_t handle, int32_t parameter, int32_t value);
KRY_API int32_t KRY_PRO_GetComParam(int32_t handle, int32_t parameter, int32_t* value);
KRY_API int32_t KRY_PRO_SetFilter(int32_t handle, const uint8_t* filter, int32_t length);
KRY_API int32_t KRY_PRO_AddFilter(int32_t handle, const uint8_t* filter, int32_t length);
KRY_API int32_t KRY_PRO_SetTimer(int32_t handle, int32_t timer, int32_t periodMs);
KRY_API int32_t KRY_PRO_AddTimer(int32_t handle, const uint8_t* frame, int32_t length,
                                 int32_t periodMs);
KRY_API int32_t KRY_PRO_Clear(int32_t handle);
KRY_API int32_t KRY_DEV_Echo(int32_t handle);
KRY_API int32_t KRY_DEV_Reset(int32_t handle);
KRY_API int32_t KRY_DEV_ResetEx(int32_t handle, int32_t mode);
KRY_API int32_t KRY_DEV_SetPinVol(int32_t handle, int32_t pin, int32_t millivolts);
KRY_API int32_t KRY_DEV_GetPinVol(int32_t handle, int32_t pin, int32_t* millivolts);
KRY_API int32_t KRY_DEV_GetTime(int32_t handle, uint32_t* seconds);
KRY_API int32_t KRY_DEV_SetLed(int32_t handle, const uint8_t* leds /* 4 bytes */);
KRY_API int32_t KRY_DEV_SetBeep(int32_t handle, const uint8_t* beep /* 2 bytes: on, length */);
KRY_API int32_t KRY_DEV_GetTest(int32_t handle, uint8_t* result /* 4 bytes */);
KRY_API int32_t KRY_DEV_GetInfo(int32_t handle, uint8_t* info /* KRY_INFO_SIZE */);
KRY_API int32_t KRY_DEV_SynExInfo(int32_t handle, uint8_t* exInfo /* KRY_EXINFO_SIZE */);
KRY_API int32_t KRY_DEV_Config(int32_t handle, int32_t item, int32_t value);
/* Ordinal 39: writes a firmware image; `progress` rises to KRY_FIRMWARE_PROGRESS_FULL. */
KRY_API int32_t KRY_DEV_UpdateFirmware(int32_t handle, const char* imagePath, int32_t flags,
                                       int32_t* progress);

#ifdef __cplusplus
}
#endif

/* NOLINTEND(modernize-use-using) */
#endif /* KRY_SDK_H */
