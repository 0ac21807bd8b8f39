#include "model/DeviceConnection.h"

DeviceConnection ActiveDevice;
DeviceConnection SavedDevice;
