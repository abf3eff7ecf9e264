// Nothing to compile: the library exists to make the precompiled Qt headers that the project's
// targets reuse (cmake/VelmoraPch.cmake).
