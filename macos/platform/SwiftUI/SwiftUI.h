// The declarative user-interface layer: everything a window's view is written with.
#pragma once

#include <SwiftUI/Binding.h>
#include <SwiftUI/Color.h>
#include <SwiftUI/Containers.h>
#include <SwiftUI/Controls.h>
#include <SwiftUI/Font.h>
#include <SwiftUI/Geometry.h>
#include <SwiftUI/HostingController.h>
#include <SwiftUI/HostingView.h>
#include <SwiftUI/Image.h>
#include <SwiftUI/Layout.h>
#include <SwiftUI/ObservableObject.h>
#include <SwiftUI/Shapes.h>
#include <SwiftUI/Stacks.h>
#include <SwiftUI/State.h>
#include <SwiftUI/Text.h>
#include <SwiftUI/View.h>
