package com.tevron.kestrelforge.uddi;

import org.uddi4j.util.FindQualifiers;

/** The UDDI inquiry operations that the native extension calls. */
public interface IProxy {
    void setInquiryURL(String url) throws Exception;

    KFBusinessInfos findBusiness(String name, FindQualifiers qualifiers, int maxRows)
            throws Exception;

    KFServiceInfos getBusinessDetail(String businessKey, int maxRows) throws Exception;

    KFServiceInfos findServiceEx(String name, FindQualifiers qualifiers, int maxRows)
            throws Exception;
}
