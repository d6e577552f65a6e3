#include "device/KRYEntries.h"

namespace device {

const std::vector<KRYEntrySpec>& KRYEntryOrder() {
  static const std::vector<KRYEntrySpec> order = [] {
    std::vector<KRYEntrySpec> o;
    auto named = [&](const char* name, bool required = true) { o.push_back({name, 0, required}); };
    auto ordinals = [&](std::initializer_list<int> numbers) {
      for (int n : numbers) o.push_back({"", n, true});
    };
    named("KRY_Enum");
    named("KRY_Open");
    named("KRY_OpenEx");
    named("KRY_Close");
    named("KRY_GetCommIf");
    for (const char* name : {"KRY_SetEventCallback", "KRY_OpenRaw", "KRY_SendRaw", "KRY_RecvRaw",
                             "KRY_SendFrame", "KRY_RecvFrame", "KRY_PRO_Send"})
      named(name, false);
    for (const char* name :
         {"KRY_PRO_Recv", "KRY_PRO_Open", "KRY_PRO_Close", "KRY_PRO_Start", "KRY_PRO_Stop",
          "KRY_PRO_SetComParam", "KRY_PRO_GetComParam", "KRY_PRO_SetFilter", "KRY_PRO_AddFilter",
          "KRY_PRO_SetTimer", "KRY_PRO_AddTimer", "KRY_PRO_Clear", "KRY_DEV_Echo"})
      named(name);
    ordinals({20, 21, 22, 23, 47, 48});
    for (const char* name :
         {"KRY_DEV_Reset", "KRY_DEV_ResetEx", "KRY_DEV_SetPinVol", "KRY_DEV_GetPinVol",
          "KRY_DEV_GetTime", "KRY_DEV_SetLed", "KRY_DEV_SetBeep", "KRY_DEV_GetTest",
          "KRY_DEV_GetInfo", "KRY_DEV_SynExInfo", "KRY_DEV_Config"})
      named(name);
    ordinals({33, 34, 35, 36, 37, 38, 39, 49, 50, 51});
    return o;
  }();
  return order;
}

}  // namespace device
