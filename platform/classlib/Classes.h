// The class library's non-visual core in one include: exceptions, class
// information, persistent objects, components, collections, lists, the form
// stream and the message function.
#pragma once

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/ClassInfo.h"
#include "platform/classlib/Collection.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/Dialogs.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"
#include "platform/classlib/Lists.h"
#include "platform/classlib/Persistent.h"
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"
