package com.tevron.kestrelforge.uddi;

import java.util.Vector;

/** The services of one get_businessDetail or find_service search. */
public class KFServiceInfos {
    private final Vector<KFServiceInfo> infos = new Vector<>();

    public void add(KFServiceInfo info) {
        infos.add(info);
    }

    public Vector<KFServiceInfo> getServiceInfoVector() {
        return infos;
    }
}
