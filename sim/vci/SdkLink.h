#pragma once
// Serves the SDK's link on one connection: requests go to the adapter until the peer leaves.
namespace vcisim {

class VciAdapter;

void ServeSdkLink(VciAdapter& adapter, int fd);

}  // namespace vcisim
