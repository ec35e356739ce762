package com.broken;

/** A small bean that javap can read only in part: Thing reaches Gone, whose class is removed. */
public interface ThingHome {
    Thing create();
}
