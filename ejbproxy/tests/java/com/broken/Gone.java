package com.broken;

/** Compiled, then removed from the class folder, so that javap cannot find it. */
public class Gone {}
