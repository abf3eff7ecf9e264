#pragma once

// Registers the enumerations and handle types that the models' signals carry, so that queued
// connections (setters run on worker threads) can deliver them. Safe to call often and from
// any thread; the model constructors call it.
void qovRegisterModelMetaTypes();
