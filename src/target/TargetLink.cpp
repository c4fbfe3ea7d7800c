#include "TargetLink.h"

CTargetLink::CTargetLink() = default;

CTargetLink::~CTargetLink() = default;
