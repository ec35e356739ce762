package com.tevron.kestrelforge.uddi;

import java.util.Vector;

/** The businesses of one find_business answer, in the registry's order. */
public class KFBusinessInfos {
    private final Vector<KFBusinessInfo> infos = new Vector<>();

    public void add(KFBusinessInfo info) {
        infos.add(info);
    }

    public Vector<KFBusinessInfo> getBusinessInfoVector() {
        return infos;
    }
}
