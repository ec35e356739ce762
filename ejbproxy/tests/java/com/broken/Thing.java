package com.broken;

public interface Thing {
    Part part();

    Gone gone();
}
