#pragma once

// Everything public of the non-visual layer (namespace Ombrel::Common).

#include "ombrel/common/CommonException.h"
#include "ombrel/common/Value.h"
#include "ombrel/common/Serializer.h"
#include "ombrel/common/Format.h"
#include "ombrel/common/EmptyFormat.h"
#include "ombrel/common/IntegerFormats.h"
#include "ombrel/common/DoubleFormat.h"
#include "ombrel/common/FloatFormat.h"
#include "ombrel/common/BoolFormat.h"
#include "ombrel/common/DefaultStlStringFormat.h"
#include "ombrel/common/DefaultMfcStringFormat.h"
#include "ombrel/common/DateSettings.h"
#include "ombrel/common/LongDateFormat.h"
#include "ombrel/common/Int64DateFormat.h"
#include "ombrel/common/LongMsecTimeFormat.h"
#include "ombrel/common/LongEnumFormat.h"
