package com.tevron.kestrelforge.uddi;

/** One business found by find_business. */
public class KFBusinessInfo {
    private final String name;
    private final String description;
    private final String key;

    public KFBusinessInfo(String name, String description, String key) {
        this.name = name;
        this.description = description;
        this.key = key;
    }

    public String getName() {
        return name;
    }

    public String getDescription() {
        return description;
    }

    public String getKey() {
        return key;
    }
}
