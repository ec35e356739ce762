package com.broken;

public class Part {
    public int count;
    public java.util.Date when;
}
