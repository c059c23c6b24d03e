// The automation layer in one include: values, references, objects, the call boundary, the
// per-thread outcome, creation by ProgID and COM/OLE initialisation.
#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/CallBoundary.h"
#include "platform/automation/CallOutcome.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Coercion.h"
#include "platform/automation/ComInit.h"
#include "platform/automation/ObjectRef.h"
#include "platform/automation/Variant.h"
