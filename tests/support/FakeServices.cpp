#include "FakeServices.h"

TFakeServices::TFakeServices() {
    language_.open("english");
}
