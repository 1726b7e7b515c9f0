#pragma once

// Everything public of the framework layer (windows, messages, threads, drawing). No Qt type
// appears in these headers; ombrel/platform/QtInterop.h, for Qt hosts, is not included here.

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/Brush.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/GdiObject.h"
#include "ombrel/platform/GdiTypes.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/Pen.h"
#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/SystemMetrics.h"
#include "ombrel/platform/FrameWnd.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/Messages.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/WinApp.h"
#include "ombrel/platform/WindowImage.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/Wnd.h"
